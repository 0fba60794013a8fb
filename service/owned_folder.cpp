#include "service/owned_folder.h"

#include "common/gbk.h"
#include "common/text.h"

namespace dorvik {

namespace {

void DeleteTreeBelow(IFileSystem& files, const std::string& folder, const std::string& rootKey) {
  for (const DirectoryEntry& entry : files.ListDirectory(folder)) {
    DeleteOwnedEntry(files, folder + "\\" + entry.name, entry, rootKey);
  }
}

}  // namespace

std::string RealPathKey(IFileSystem& files, const std::string& path) {
  std::string real;
  if (!files.FindRealPath(path, &real)) return std::string();
  return AsciiLower(real);
}

std::string BelowPrefix(const std::string& rootKey) {
  // A drive root's real path already ends in its backslash.
  return FindLastChar(rootKey, '\\') + 1 == rootKey.size() ? rootKey : rootKey + "\\";
}

bool IsRealPathBelow(IFileSystem& files, const std::string& path, const std::string& rootKey) {
  if (rootKey.empty()) return false;
  const std::string key = RealPathKey(files, path);
  const std::string prefix = BelowPrefix(rootKey);
  return key.size() > prefix.size() && StartsWith(key, prefix);
}

bool DeleteOwnedEntry(IFileSystem& files, const std::string& path, const DirectoryEntry& entry,
                      const std::string& rootKey) {
  // Failed deletions are skipped here, in one place: a read-only or busy file, a folder that is
  // not empty after them, stays until a later pass.
  if (entry.isLink) return files.RemoveLink(path);
  if (!entry.isDirectory) return files.RemoveFile(path);
  if (!IsRealPathBelow(files, path, rootKey)) return false;
  DeleteTreeBelow(files, path, rootKey);
  return files.RemoveEmptyDirectory(path);
}

void DeleteFolderTree(IFileSystem& files, const std::string& folder) {
  const std::string rootKey = RealPathKey(files, folder);
  if (!rootKey.empty()) DeleteTreeBelow(files, folder, rootKey);
}

}  // namespace dorvik
