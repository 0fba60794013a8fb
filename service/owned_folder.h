#pragma once
// Deleting inside a folder that belongs to a task. A junction or symbolic link inside it is
// removed as a link, never followed, and nothing whose real path lies outside the folder is
// touched, whatever was planted in it.
#include <string>

#include "common/file_system.h"

namespace dorvik {

// The real path of `path` (links resolved), ASCII letters lower-cased, as a key to compare
// folders by; empty when it does not exist.
std::string RealPathKey(IFileSystem& files, const std::string& path);

// rootKey with one trailing backslash: what the real path of anything below it starts with.
std::string BelowPrefix(const std::string& rootKey);

// Whether the real path of `path` lies strictly below the folder whose RealPathKey is rootKey.
bool IsRealPathBelow(IFileSystem& files, const std::string& path, const std::string& rootKey);

// Deletes one listed entry of a folder below rootKey: a link as a link, a file, or a folder with
// everything below it when its real path lies below rootKey. Failures are skipped; true when the
// entry itself is gone.
bool DeleteOwnedEntry(IFileSystem& files, const std::string& path, const DirectoryEntry& entry,
                      const std::string& rootKey);

// Deletes everything below the folder, depth first; the folder itself stays. Links inside are
// removed, not followed; failures are skipped (the rest is still deleted).
void DeleteFolderTree(IFileSystem& files, const std::string& folder);

}  // namespace dorvik
