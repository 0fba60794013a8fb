#pragma once
// The file system as the jobs and the retention cleanup use it. The Win32 implementation uses the
// A functions on GBK paths; tests of the portable core use an in-memory fake.
#include <cstdint>
#include <string>
#include <vector>

namespace dorvik {

struct DirectoryEntry {
  std::string name;            // without the folder; "." and ".." are never listed
  bool isDirectory = false;    // for a link: whether it points to a folder
  bool isLink = false;         // a reparse point (junction, symbolic link): never to be followed
  std::int64_t lastWriteTime = 0;  // seconds since the epoch
  std::int64_t size = 0;           // bytes; 0 for a folder
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
  // Creates the folder (one level) only when nothing of that name exists: true only for the one
  // caller that made it, so two processes can never both claim a name.
  virtual bool MakeNewFolder(const std::string& path) = 0;
  // Removes a link itself (a folder link as well as a file link), never what it points to.
  virtual bool RemoveLink(const std::string& path) = 0;
  // The path with every link on the way resolved, as the system names the real folder or
  // file. False when it does not exist.
  virtual bool FindRealPath(const std::string& path, std::string* realPath) = 0;
  // The whole content of a file, read while others may be appending to it. False when it
  // cannot be opened or read (the content is then empty).
  virtual bool ReadFile(const std::string& path, std::string* content) = 0;
  // Appends the bytes in one write to the file, creating it when needed. Appends from several
  // threads and processes never interleave: each call's bytes land whole and together.
  virtual bool AppendToFile(const std::string& path, const std::string& bytes) = 0;
};

// The machine's file system (Win32 in the Windows tree, POSIX natively, where the Windows
// separator "\" in paths is read as "/").
IFileSystem& RealFileSystem();

}  // namespace dorvik
