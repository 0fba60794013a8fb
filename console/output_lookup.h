#pragma once
// Whether backup outputs exist, for thousands of log lines at once: each folder is listed once
// and its names kept, instead of one look-up per path. A folder known to be missing answers for
// everything below it.
#include <memory>
#include <string>
#include <unordered_map>

#include "common/file_system.h"

namespace dorvik {

class COutputLookup {
 public:
  explicit COutputLookup(IFileSystem& fs) : m_fs(fs) {}
  // The output's entry; false when it does not exist.
  bool Find(const std::string& path, DirectoryEntry* entry);

 private:
  struct Folder {
    enum State { Listed, Missing, Unlisted } state = Unlisted;
    std::unordered_map<std::string, DirectoryEntry> entries;  // by NameKey
  };
  const Folder& FolderAt(const std::string& folder);
  std::string NameKey(const std::string& name) const;

  IFileSystem& m_fs;
  std::unordered_map<std::string, std::unique_ptr<Folder>> m_folders;  // by NameKey of the path
};

}  // namespace dorvik
