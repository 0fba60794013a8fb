#pragma once
// An in-memory file system with Windows paths (GBK, case-insensitive), for the archiver's tests.
#include <map>
#include <memory>
#include <string>

#include "tools/rar/rar_file_system.h"

namespace dorvik {
namespace rar {

class CFakeRarFileSystem : public IRarFileSystem {
 public:
  struct Node {
    std::string path;  // as created
    bool bDirectory = false;
    std::shared_ptr<std::string> data = std::make_shared<std::string>();
    LocalTime time;
  };

  void AddFolder(const std::string& path);
  void AddFile(const std::string& path, const std::string& data);
  bool Has(const std::string& path) const { return m_nodes.count(Key(path)) != 0; }
  std::string Data(const std::string& path) const;
  std::map<std::string, Node>& Nodes() { return m_nodes; }

  PathStyle Style() const override { return PathStyle::Windows(); }
  bool Stat(const std::string& path, FileInfo& info) override;
  bool ListFolder(const std::string& folder, std::vector<FileInfo>& entries) override;
  std::unique_ptr<IRarFile> OpenRead(const std::string& path) override;
  std::unique_ptr<IRarFile> CreateNew(const std::string& path) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  bool MakeFolder(const std::string& path) override;
  bool AppendToFile(const std::string& path, const std::string& text) override;
  bool SetLastWriteTime(const std::string& path, const LocalTime& time) override;
  std::string FullPath(const std::string& path) override { return path; }
  bool SamePath(const std::string& a, const std::string& b) override { return Key(a) == Key(b); }
  std::string NameToUtf8(const std::string& name) override;
  std::string NameFromUtf8(const std::string& utf8) override;
  std::string ProgramFolder() override { return "C:\\Tools"; }
  LocalTime Now() override { return m_now; }

  LocalTime m_now;
  LocalTime m_fileTime;  // given to files and folders made from now on

 private:
  std::string Key(const std::string& path) const;
  std::map<std::string, Node> m_nodes;
};

}  // namespace rar
}  // namespace dorvik
