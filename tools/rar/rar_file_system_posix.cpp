#include "tools/rar/rar_file_system_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>

#include "common/clock.h"

namespace dorvik {
namespace rar {

namespace {

void FillInfo(const struct stat& st, FileInfo& info) {
  info.bDirectory = S_ISDIR(st.st_mode);
  info.size = info.bDirectory ? 0 : static_cast<std::uint64_t>(st.st_size);
  info.lastWrite = FromEpochSeconds(st.st_mtime);
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

class CPosixFile : public IRarFile {
 public:
  CPosixFile(int fd, bool bWritable) : m_fd(fd), m_bWritable(bWritable) {}
  ~CPosixFile() override {
    if (m_fd >= 0) close(m_fd);  // a read handle, or a write already failed: nothing to report
  }
  bool Read(char* buffer, std::size_t size, std::size_t& got) override {
    for (;;) {
      const ssize_t n = read(m_fd, buffer, size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      got = static_cast<std::size_t>(n);
      return true;
    }
  }
  bool Write(const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t n = write(m_fd, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  bool ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    while (size > 0) {
      const ssize_t n = pread(m_fd, buffer, size, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      buffer += n;
      offset += static_cast<std::uint64_t>(n);
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t n = pwrite(m_fd, data, size, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      offset += static_cast<std::uint64_t>(n);
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  std::uint64_t Size() override {
    struct stat st;
    return fstat(m_fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  }
  bool Truncate(std::uint64_t size) override {
    return ftruncate(m_fd, static_cast<off_t>(size)) == 0 &&
           lseek(m_fd, static_cast<off_t>(size), SEEK_SET) >= 0;
  }
  bool Close() override {
    bool bOk = !m_bWritable || fsync(m_fd) == 0;
    bOk = close(m_fd) == 0 && bOk;
    m_fd = -1;
    return bOk;
  }

 private:
  int m_fd;
  bool m_bWritable;
};

class CPosixFileSystem : public IRarFileSystem {
 public:
  PathStyle Style() const override { return PathStyle::Posix(); }
  bool Stat(const std::string& path, FileInfo& info) override {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
    FillInfo(st, info);
    const std::string::size_type slash = path.rfind('/');
    info.name = slash == std::string::npos ? path : path.substr(slash + 1);
    return true;
  }
  bool ListFolder(const std::string& folder, std::vector<FileInfo>& entries) override {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    while (struct dirent* d = readdir(dir)) {
      const std::string name = d->d_name;
      if (name == "." || name == "..") continue;
      FileInfo info;
      if (!Stat(Style().Join(folder, name), info)) continue;  // vanished or a dangling link
      info.name = name;
      entries.push_back(info);
    }
    closedir(dir);
    return true;
  }
  std::unique_ptr<IRarFile> OpenRead(const std::string& path) override {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::unique_ptr<IRarFile>(new CPosixFile(fd, false));
  }
  std::unique_ptr<IRarFile> CreateNew(const std::string& path) override {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::unique_ptr<IRarFile>(new CPosixFile(fd, true));
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return rename(from.c_str(), to.c_str()) == 0;
  }
  bool RemoveFile(const std::string& path) override { return unlink(path.c_str()) == 0; }
  bool RemoveFolder(const std::string& path) override { return rmdir(path.c_str()) == 0; }
  bool MakeFolder(const std::string& path) override {
    if (mkdir(path.c_str(), 0755) == 0) return true;
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  bool AppendToFile(const std::string& path, const std::string& text) override {
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool bOk = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    return close(fd) == 0 && bOk;
  }
  bool SetLastWriteTime(const std::string& path, const LocalTime& time) override {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(ToEpochSeconds(time));
    times[1].tv_nsec = 0;
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
  }
  std::string FullPath(const std::string& path) override {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return path;
    return Style().Join(cwd, path);
  }
  bool SamePath(const std::string& a, const std::string& b) override { return a == b; }
  std::string NameToUtf8(const std::string& name) override {
    if (IsValidUtf8(name)) return name;
    // Not UTF-8: most likely GBK bytes copied from Windows.
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return name;
    std::string out(name.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(name.data());
    char* dst = &out[0];
    std::size_t inLeft = name.size(), outLeft = out.size();
    const bool bOk = iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!bOk) return name;
    out.resize(out.size() - outLeft);
    return out;
  }
  std::string NameFromUtf8(const std::string& utf8) override { return utf8; }
  std::string ProgramFolder() override {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    const std::string path(buffer, static_cast<std::size_t>(n));
    return Style().Parent(path);
  }
  LocalTime Now() override { return FromEpochSeconds(time(nullptr)); }
};

}  // namespace

std::unique_ptr<IRarFileSystem> CreatePosixFileSystem() {
  return std::unique_ptr<IRarFileSystem>(new CPosixFileSystem());
}

}  // namespace rar
}  // namespace dorvik
