#pragma once
// Whether backup outputs exist, for thousands of log lines at once: each folder is listed once
// and its names kept, instead of one look-up per path. A folder known to be missing answers for
// everything below it.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/file_system.h"

namespace dorvik {

class COutputLookup {
 public:
  explicit COutputLookup(IFileSystem& fs) : m_fs(fs) {}
  // The output's entry; false when it does not exist.
  bool Find(std::string_view path, DirectoryEntry* entry);

 private:
  struct Folder {
    enum State { Listed, Missing, Unlisted } state = Unlisted;
    std::unordered_map<std::string, DirectoryEntry> entries;  // by folded name
  };
  const Folder& FolderAt(std::string_view folder);
  // The text as names compare: without ASCII case on Windows paths. Into a buffer the caller
  // keeps, so that a look-up allocates nothing once the buffer has grown.
  void Fold(std::string_view text, std::string* key) const;

  IFileSystem& m_fs;
  std::unordered_map<std::string, std::unique_ptr<Folder>> m_folders;  // by folded path
  std::string m_strFolderKey, m_strNameKey;
};

}  // namespace dorvik
