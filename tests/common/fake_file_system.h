#pragma once
// An in-memory IFileSystem for unit tests (link dorvik_fake_file_system). Paths are Windows
// paths in GBK ("D:\bak\2024-5-1"); lookups ignore ASCII case and a trailing backslash, as
// Windows does. A drive root ("D:") always exists. Operations on paths marked with FailOn() fail.
// Links behave as Windows folder links and junctions: paths through them reach the target,
// RemoveEmptyDirectory and RemoveLink on the link itself take away only the link.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/file_system.h"

namespace dorvik {

class CFakeFileSystem : public IFileSystem {
 public:
  // Test set-up: creates every missing folder on the way. Without a time, files and folders get
  // m_nNewFileTime, as do those the code under test makes.
  void AddFolder(const std::string& path) { AddFolder(path, m_nNewFileTime); }
  void AddFolder(const std::string& path, std::int64_t lastWriteTime);
  void AddFile(const std::string& path, const std::string& content = std::string()) {
    AddFile(path, content, m_nNewFileTime);
  }
  void AddFile(const std::string& path, const std::string& content, std::int64_t lastWriteTime);
  // A link at `path` (its folder must exist) to the file or folder `target`.
  void AddLink(const std::string& path, const std::string& target);
  // Every later operation that names exactly this path fails (and changes nothing).
  void FailOn(const std::string& path);
  // Lists the file or folder as hidden or system (Windows attributes).
  void MarkHiddenOrSystem(const std::string& path);

  std::string FileContent(const std::string& path) const;  // "" when there is no such file
  // Every path below `folder` (files and folders, full paths as created), sorted.
  std::vector<std::string> ListTree(const std::string& folder) const;
  int nReads = 0;  // ReadWholeFile calls, failed ones included

  bool Exists(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  bool Stat(const std::string& path, DirectoryEntry* entry) override;
  bool MakeDirectory(const std::string& path) override;
  using IFileSystem::ListDirectory;
  bool ListDirectory(const std::string& folder, std::vector<DirectoryEntry>* entries) override;
  bool RemoveFile(const std::string& path) override;
  bool ClearReadOnly(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;
  bool MakeNewFolder(const std::string& path) override;
  bool RemoveLink(const std::string& path) override;
  bool FindRealPath(const std::string& path, std::string* realPath) override;
  bool ReadWholeFile(const std::string& path, std::string* content) override;
  bool AppendToFile(const std::string& path, const std::string& bytes) override;
  std::unique_ptr<IFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<IFile> CreateNewFile(const std::string& path) override;
  bool MoveOver(const std::string& from, const std::string& to) override;
  bool MoveToNewName(const std::string& from, const std::string& to) override;
  bool SetLastWriteTime(const std::string& path, std::int64_t epochSeconds) override;
  bool UsesWindowsPaths() const override { return true; }
  std::string FullPath(const std::string& path) override { return path; }
  bool SamePath(const std::string& a, const std::string& b) override { return Key(a) == Key(b); }
  std::string NameToUtf8(const std::string& name) override;
  std::string NameFromUtf8(const std::string& utf8) override;
  std::string LastErrorText() override { return m_strLastError; }

  std::int64_t m_nNewFileTime = 0;

 private:
  struct Node {
    std::string path;  // as created
    bool isDirectory = false;
    std::shared_ptr<std::string> content = std::make_shared<std::string>();  // shared with open files
    std::int64_t lastWriteTime = 0;
    std::string target;  // Key() of what a link points to; empty for anything else
    bool bHiddenOrSystem = false;
  };
  static std::string Key(const std::string& path);
  static std::string ParentKey(const std::string& key);
  static bool IsDriveRoot(const std::string& key) { return key.size() == 2 && key[1] == ':'; }
  bool ParentIsFolder(const std::string& key) const;
  // The key with every link on the way replaced by its target; the last component too when
  // bFollowLast is set.
  std::string Resolve(const std::string& key, bool bFollowLast) const;
  const Node* NodeAt(const std::string& key) const;  // through links
  bool Fails(const std::string& path) const;
  bool Failure(const std::string& path);  // records why, returns false
  Node* Find(const std::string& path);

  std::map<std::string, Node> m_nodes;  // by Key()
  std::set<std::string> m_failing;      // by Key()
  std::string m_strLastError;
};

}  // namespace dorvik
