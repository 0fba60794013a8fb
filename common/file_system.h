#pragma once
// The file system as the jobs and the retention cleanup use it. The Win32 implementation uses the
// A functions on GBK paths; tests of the portable core use an in-memory fake.
#include <cstdint>
#include <string>
#include <vector>

namespace dorvik {

struct DirectoryEntry {
  std::string name;            // without the folder; "." and ".." are never listed
  bool isDirectory = false;
  std::int64_t lastWriteTime = 0;  // seconds since the epoch
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;  // one level; true if it exists now
  virtual std::vector<DirectoryEntry> ListDirectory(const std::string& folder) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  virtual bool RemoveDirectory(const std::string& path) = 0;  // only an empty folder
};

// The machine's file system (Win32 in the Windows tree).
IFileSystem& RealFileSystem();

}  // namespace dorvik
