// IFileSystem on POSIX for the native tools and tests: the Windows separator "\" in the paths
// the core builds is read as "/" (skipping GBK trail bytes, which may be 0x5C).
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "common/code_page.h"
#include "common/file_posix.h"
#include "common/file_system.h"
#include "common/gbk.h"
#include "common/system_error.h"

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

DirectoryEntry EntryOf(const std::string& name, const struct stat& info) {
  DirectoryEntry entry;
  entry.name = name;
  entry.isDirectory = S_ISDIR(info.st_mode);
  entry.size = entry.isDirectory ? 0 : static_cast<std::uint64_t>(info.st_size);
  entry.lastWriteTime = static_cast<std::int64_t>(info.st_mtime);
  entry.creationTime = entry.lastWriteTime;
  return entry;
}

bool IsValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > text.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
    }
    i += n;
  }
  return true;
}

class CPosixFileSystem : public IFileSystem {
 public:
  bool Exists(const std::string& path) override {
    struct stat info;
    return stat(NativePath(path).c_str(), &info) == 0;
  }

  bool IsDirectory(const std::string& path) override {
    struct stat info;
    return stat(NativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  bool Stat(const std::string& path, DirectoryEntry* entry) override {
    const std::string native = NativePath(path);
    struct stat info;
    if (stat(native.c_str(), &info) != 0) return NoteSystemError();
    const std::string::size_type slash = native.rfind('/');
    *entry = EntryOf(slash == std::string::npos ? native : native.substr(slash + 1), info);
    return true;
  }

  bool MakeDirectory(const std::string& path) override {
    if (mkdir(NativePath(path).c_str(), 0777) == 0) return true;
    const int error = errno;
    if (IsDirectory(path)) return true;
    errno = error;
    return NoteSystemError();
  }

  bool ListDirectory(const std::string& folder, std::vector<DirectoryEntry>* entries) override {
    const std::string native = NativePath(folder);
    DIR* dir = opendir(native.c_str());
    if (!dir) return NoteSystemError();
    while (dirent* found = readdir(dir)) {
      std::string name = found->d_name;
      if (name == "." || name == "..") continue;
      struct stat info;
      const std::string child = native + "/" + name;
      if (lstat(child.c_str(), &info) != 0) continue;  // vanished meanwhile
      const bool isLink = S_ISLNK(info.st_mode);
      // As Windows does, a link tells whether it points to a folder.
      if (isLink && stat(child.c_str(), &info) != 0) info.st_mode = 0;
      DirectoryEntry entry = EntryOf(name, info);
      entry.isLink = isLink;
      entries->push_back(entry);
    }
    closedir(dir);
    return true;
  }

  bool RemoveFile(const std::string& path) override {
    if (IsDirectory(path)) {
      errno = EISDIR;
      return NoteSystemError();
    }
    return unlink(NativePath(path).c_str()) == 0 || NoteSystemError();
  }

  // Deleting a file depends on its folder's rights here, never on the file's own mode.
  bool ClearReadOnly(const std::string& path) override { return false; }

  bool RemoveEmptyDirectory(const std::string& path) override {
    return rmdir(NativePath(path).c_str()) == 0 || NoteSystemError();
  }

  bool MakeNewFolder(const std::string& path) override {
    return mkdir(NativePath(path).c_str(), 0777) == 0 || NoteSystemError();
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

  bool ReadWholeFile(const std::string& path, std::string* content) override {
    content->clear();
    int fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return NoteSystemError();
    char buffer[65536];
    bool ok = true;
    for (;;) {
      ssize_t got = read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) ok = NoteSystemError();
      if (got <= 0) break;
      content->append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);  // read only: nothing a failing close could lose
    if (!ok) content->clear();
    return ok;
  }

  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    int fd = open(NativePath(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return NoteSystemError();
    bool ok = flock(fd, LOCK_EX) == 0 || NoteSystemError();
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) ok = NoteSystemError();
      else if (put == 0) ok = false;
      else done += static_cast<std::size_t>(put);
    }
    return (close(fd) == 0 || NoteSystemError()) && ok;  // the close also releases the lock
  }

  std::unique_ptr<IFile> OpenForReading(const std::string& path) override {
    const int fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      NoteSystemError();
      return nullptr;
    }
    return MakePosixFile(fd, false);
  }

  std::unique_ptr<IFile> CreateNewFile(const std::string& path) override {
    const int fd = open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      NoteSystemError();
      return nullptr;
    }
    return MakePosixFile(fd, true);
  }

  bool MoveOver(const std::string& from, const std::string& to) override {
    return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0 || NoteSystemError();
  }

  bool MoveToNewName(const std::string& from, const std::string& to) override {
    // link() refuses an existing name where rename() would replace it.
    const std::string source = NativePath(from);
    return (link(source.c_str(), NativePath(to).c_str()) == 0 && unlink(source.c_str()) == 0) ||
           NoteSystemError();
  }

  bool SetLastWriteTime(const std::string& path, std::int64_t epochSeconds) override {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(epochSeconds);
    times[1].tv_nsec = 0;
    return utimensat(AT_FDCWD, NativePath(path).c_str(), times, 0) == 0 || NoteSystemError();
  }

  bool UsesWindowsPaths() const override { return false; }

  std::string FullPath(const std::string& path) override {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return path;
    const std::string folder = cwd;
    return folder.back() == '/' ? folder + path : folder + "/" + path;
  }

  bool SamePath(const std::string& a, const std::string& b) override { return a == b; }

  std::string NameToUtf8(const std::string& name) override {
    // Not UTF-8: most likely GBK bytes copied from Windows.
    return IsValidUtf8(name) ? name : GbkToUtf8(name);
  }

  std::string NameFromUtf8(const std::string& utf8) override { return utf8; }

  std::string LastErrorText() override { return LastNotedErrorText(); }
};

}  // namespace

IFileSystem& RealFileSystem() {
  static CPosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace dorvik
