// IFile over a POSIX descriptor, for the native file system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/file_posix.h"
#include "common/system_error.h"

namespace dorvik {

namespace {

class CPosixFile : public IFile {
 public:
  CPosixFile(int fd, bool bWritable) : m_fd(fd), m_bWritable(bWritable) {}
  ~CPosixFile() override {
    if (m_fd >= 0) close(m_fd);  // a read handle, or a write already failed: nothing to report
  }
  bool Read(char* buffer, std::size_t size, std::size_t* got) override {
    for (;;) {
      const ssize_t n = read(m_fd, buffer, size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return NoteSystemError();
      *got = static_cast<std::size_t>(n);
      return true;
    }
  }
  bool Write(const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t n = write(m_fd, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return NoteSystemError();
      if (n == 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  bool ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    while (size > 0) {
      const ssize_t n = pread(m_fd, buffer, size, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return NoteSystemError();
      if (n == 0) return false;
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
      if (n < 0) return NoteSystemError();
      if (n == 0) return false;
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
    if (ftruncate(m_fd, static_cast<off_t>(size)) != 0 ||
        lseek(m_fd, static_cast<off_t>(size), SEEK_SET) < 0) {
      return NoteSystemError();
    }
    return true;
  }
  bool Close() override {
    const bool bSynced = !m_bWritable || fsync(m_fd) == 0 || NoteSystemError();
    const bool bClosed = close(m_fd) == 0 || NoteSystemError();
    m_fd = -1;
    return bClosed && bSynced;
  }

 private:
  int m_fd;
  bool m_bWritable;
};

}  // namespace

std::unique_ptr<IFile> MakePosixFile(int fd, bool bWritable) {
  return std::unique_ptr<IFile>(new CPosixFile(fd, bWritable));
}

}  // namespace dorvik
