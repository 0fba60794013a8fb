#pragma once
// Names for the files a run writes before moving them into place (the archive being built, each
// file being extracted). They carry the process id, a unique part and a suffix of their own, so
// no user's file and no other run's file can have one; a run only ever creates such a file new,
// and deletes only what it created.
#include <cstdint>
#include <memory>
#include <string>

#include "common/file_system.h"

namespace dorvik {
namespace rar {

// "<path>.dvk<process id>-<8 hex digits of unique>.tmp" beside `path`.
std::string TemporaryNameFor(const std::string& path, unsigned long processId, std::uint64_t unique);

// Whether `candidate` is a name TemporaryNameFor could have made for `path`.
bool IsTemporaryNameFor(const std::string& path, const std::string& candidate);

// Creates a new temporary file beside `path` and names it in `temp`; null when the folder
// takes no new file.
std::unique_ptr<IFile> CreateTemporaryFor(IFileSystem& fs, const std::string& path, std::string& temp);

}  // namespace rar
}  // namespace dorvik
