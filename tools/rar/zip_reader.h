#pragma once
// Reading an existing ZIP archive: its central directory (ZIP64 included) and the position of
// each entry's data, for updating an archive and for extracting it.
#include <cstdint>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "tools/rar/zip_format.h"

namespace dorvik {
namespace rar {

// Entry names come back as stored: UTF-8 when kFlagUtf8 is set, else in the code page of the
// machine that wrote them.
bool ReadZipDirectory(IFile& file, std::vector<ZipEntry>& entries, std::string& error);

// Offset of the entry's first data byte, after its local header.
bool FindEntryData(IFile& file, const ZipEntry& entry, std::uint64_t& dataOffset,
                   std::string& error);

// The data offset of every entry, in the same order. Fails for an archive whose entries (local
// header and data) overlap one another: one stream claimed by many entries is how archives that
// unpack to far more than their size are built, and no writer of honest archives does that.
bool LocateEntries(IFile& file, const std::vector<ZipEntry>& entries,
                   std::vector<std::uint64_t>& dataOffsets, std::string& error);

}  // namespace rar
}  // namespace dorvik
