#pragma once
// The check an archive passes before it replaces the old one: the written file is opened again
// and read back from disk, front to back. Each entry's local header and data must have the CRC-32
// they had as they were written, the central directory and end records must be the very bytes
// written, and a reader must find in them exactly the entries the writer recorded. A write error,
// a short write or a bad disk then fails the run instead of leaving an archive that only looks
// like a backup. Entries copied from an older archive are also unpacked against their size and
// CRC: their data came from that archive, not from our compression.
#include <string>

#include "common/file_system.h"
#include "tools/rar/zip_writer.h"

namespace dorvik {
namespace rar {

// False with the first fault found in `error`.
bool VerifyWrittenArchive(IFileSystem& fs, const std::string& path, const WrittenArchive& written,
                          std::string& error);

}  // namespace rar
}  // namespace dorvik
