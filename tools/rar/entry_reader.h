#pragma once
// Streams one entry's data out of an archive (inflated, or as stored) and checks it against what
// the central directory declares: never more bytes than the declared size reach the sink, so a
// hostile entry cannot fill the disk, and the size and CRC must match at the end.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "common/file_system.h"
#include "tools/rar/zip_format.h"

namespace dorvik {
namespace rar {

enum class EntryReadResult { kOk, kReadError, kDataError, kTooLong, kCrcError, kSinkError };

// `sink` takes the data in order; returning false stops the read with kSinkError.
EntryReadResult ReadEntryData(IFile& archive, const ZipEntry& entry, std::uint64_t dataOffset,
                              const std::function<bool(const char*, std::size_t)>& sink);

}  // namespace rar
}  // namespace dorvik
