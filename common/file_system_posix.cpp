// IFileSystem on POSIX for the native tools and tests: the Windows separator "\" in the paths
// the core builds is read as "/" (skipping GBK trail bytes, which may be 0x5C).
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "common/file_system.h"
#include "common/gbk.h"

namespace dorvik {

namespace {

std::string NativePath(const std::string& path) {
  std::string native = path;
  for (std::string::size_type pos = FindFirstChar(native, '\\'); pos != std::string::npos;
       pos = FindFirstChar(native, '\\', pos + 1)) {
    native[pos] = '/';
  }
  return native;
}

class PosixFileSystem : public IFileSystem {
 public:
  bool Exists(const std::string& path) override {
    struct stat info;
    return stat(NativePath(path).c_str(), &info) == 0;
  }

  bool IsDirectory(const std::string& path) override {
    struct stat info;
    return stat(NativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  bool CreateDirectory(const std::string& path) override {
    if (mkdir(NativePath(path).c_str(), 0777) == 0) return true;
    return IsDirectory(path);
  }

  std::vector<DirectoryEntry> ListDirectory(const std::string& folder) override {
    std::vector<DirectoryEntry> entries;
    std::string native = NativePath(folder);
    DIR* dir = opendir(native.c_str());
    if (!dir) return entries;
    while (dirent* found = readdir(dir)) {
      std::string name = found->d_name;
      if (name == "." || name == "..") continue;
      struct stat info;
      const std::string child = native + "/" + name;
      if (lstat(child.c_str(), &info) != 0) continue;  // vanished meanwhile
      DirectoryEntry entry;
      entry.name = name;
      entry.isLink = S_ISLNK(info.st_mode);
      // As Windows does, a link tells whether it points to a folder.
      if (entry.isLink && stat(child.c_str(), &info) != 0) info.st_mode = 0;
      entry.isDirectory = S_ISDIR(info.st_mode);
      entry.lastWriteTime = static_cast<std::int64_t>(info.st_mtime);
      if (!entry.isDirectory) entry.size = static_cast<std::int64_t>(info.st_size);
      entries.push_back(entry);
    }
    closedir(dir);
    return entries;
  }

  bool DeleteFile(const std::string& path) override {
    return !IsDirectory(path) && unlink(NativePath(path).c_str()) == 0;
  }

  bool RemoveDirectory(const std::string& path) override {
    return rmdir(NativePath(path).c_str()) == 0;
  }

  bool MakeNewFolder(const std::string& path) override {
    return mkdir(NativePath(path).c_str(), 0777) == 0;
  }

  bool RemoveLink(const std::string& path) override {
    struct stat info;
    const std::string native = NativePath(path);
    return lstat(native.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && unlink(native.c_str()) == 0;
  }

  bool FindRealPath(const std::string& path, std::string* realPath) override {
    realPath->clear();
    char* resolved = realpath(NativePath(path).c_str(), nullptr);
    if (!resolved) return false;
    // In the separator the core joins paths with.
    *realPath = resolved;
    std::free(resolved);
    for (char& c : *realPath) {
      if (c == '/') c = '\\';
    }
    return true;
  }

  bool ReadFile(const std::string& path, std::string* content) override {
    content->clear();
    int fd = open(NativePath(path).c_str(), O_RDONLY);
    if (fd < 0) return false;
    char buffer[65536];
    bool ok = true;
    for (;;) {
      ssize_t got = read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) ok = false;
      if (got <= 0) break;
      content->append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    if (!ok) content->clear();
    return ok;
  }

  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    int fd = open(NativePath(path).c_str(), O_WRONLY | O_APPEND | O_CREAT, 0666);
    if (fd < 0) return false;
    bool ok = flock(fd, LOCK_EX) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) ok = false;
      else done += static_cast<std::size_t>(put);
    }
    close(fd);  // also releases the lock
    return ok;
  }
};

}  // namespace

IFileSystem& RealFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace dorvik
