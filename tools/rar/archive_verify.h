#pragma once
// The check an archive passes before it replaces the old one: the written file is opened again
// and read back from disk, its directory must list exactly the entries the writer recorded, and
// every entry's data must unpack to its size and CRC. A write error, a short write or a bad disk
// then fails the run instead of leaving an archive that only looks like a backup.
#include <string>
#include <vector>

#include "common/file_system.h"
#include "tools/rar/zip_format.h"

namespace dorvik {
namespace rar {

// False with the first fault found in `error`.
bool VerifyWrittenArchive(IFileSystem& fs, const std::string& path,
                          const std::vector<ZipEntry>& written, std::string& error);

}  // namespace rar
}  // namespace dorvik
