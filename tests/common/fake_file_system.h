#pragma once
// An in-memory IFileSystem for unit tests (link dorvik_fake_file_system). Paths are Windows
// paths ("D:\bak\2024-5-1"); lookups ignore ASCII case and a trailing backslash, as Windows does.
// A drive root ("D:") always exists. Operations on paths marked with FailOn() fail. Links behave
// as Windows folder links and junctions: paths through them reach the target, RemoveDirectory
// and RemoveLink on the link itself take away only the link.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/file_system.h"

namespace dorvik {

class FakeFileSystem : public IFileSystem {
 public:
  // Test set-up: creates every missing folder on the way.
  void AddFolder(const std::string& path, std::int64_t lastWriteTime = 0);
  void AddFile(const std::string& path, const std::string& content = std::string(),
               std::int64_t lastWriteTime = 0);
  // A link at `path` (its folder must exist) to the file or folder `target`.
  void AddLink(const std::string& path, const std::string& target);
  // Every later operation that names exactly this path fails (and changes nothing).
  void FailOn(const std::string& path);

  std::string FileContent(const std::string& path) const;  // "" when there is no such file
  // Every path below `folder` (files and folders, full paths as created), sorted.
  std::vector<std::string> ListTree(const std::string& folder) const;
  int nReads = 0;  // ReadFile calls, failed ones included

  bool Exists(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  std::vector<DirectoryEntry> ListDirectory(const std::string& folder) override;
  bool DeleteFile(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  bool MakeNewFolder(const std::string& path) override;
  bool RemoveLink(const std::string& path) override;
  bool FindRealPath(const std::string& path, std::string* realPath) override;
  bool ReadFile(const std::string& path, std::string* content) override;
  bool AppendToFile(const std::string& path, const std::string& bytes) override;

 private:
  struct Node {
    std::string path;  // as created
    bool isDirectory = false;
    std::string content;
    std::int64_t lastWriteTime = 0;
    std::string target;  // Key() of what a link points to; empty for anything else
  };
  static std::string Key(const std::string& path);
  static std::string ParentKey(const std::string& key);
  bool ParentIsFolder(const std::string& key) const;
  // The key with every link on the way replaced by its target; the last component too when
  // bFollowLast is set.
  std::string Resolve(const std::string& key, bool bFollowLast) const;
  const Node* Find(const std::string& key) const;
  bool Fails(const std::string& path) const;

  std::map<std::string, Node> m_nodes;  // by Key()
  std::set<std::string> m_failing;      // by Key()
};

}  // namespace dorvik
