// config.db in the native tree: the same atomic save (new file, fsync, rename) and a flock on a
// lock file beside it, so the portable store can be exercised against a real file system.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "config/config_file.h"
#include "config/config_temp_name.h"

namespace dorvik {

namespace {

std::string FolderOf(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

class CPosixLock : public IConfigFile::CLock {
 public:
  explicit CPosixLock(int fd) : m_fd(fd) {}
  ~CPosixLock() override { close(m_fd); }  // closing releases the flock

 private:
  int m_fd;
};

class CPosixConfigFile : public IConfigFile {
 public:
  explicit CPosixConfigFile(const std::string& path) : m_strPath(path) {}

  bool Exists() override {
    struct stat info;
    return stat(m_strPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  }

  ConfigReadResult ReadStored(std::string* stored, std::size_t maxBytes) override {
    stored->clear();
    int fd = open(m_strPath.c_str(), O_RDONLY);
    if (fd < 0) return ConfigReadResult::OpenFailed;
    ConfigReadResult result = ConfigReadResult::Ok;
    struct stat info;
    if (fstat(fd, &info) != 0) {
      result = ConfigReadResult::SeekFailed;
    } else {
      std::size_t wanted = static_cast<std::size_t>(info.st_size);
      if (maxBytes != 0 && wanted > maxBytes) wanted = maxBytes;
      stored->resize(wanted);
      std::size_t done = 0;
      while (done < wanted) {
        ssize_t n = read(fd, &(*stored)[done], wanted - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
          result = ConfigReadResult::ReadFailed;
          break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
      }
      stored->resize(result == ConfigReadResult::Ok ? done : 0);
    }
    close(fd);
    return result;
  }

  bool WriteStored(const std::string& stored) override {
    const std::string temp = TempConfigName(m_strPath, static_cast<unsigned long>(getpid()),
                                            ++m_nTempCounter);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, stored) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), m_strPath.c_str()) == 0;
    if (!ok) {
      unlink(temp.c_str());
      return false;
    }
    SyncFolder();
    return true;
  }

  bool Remove() override { return unlink(m_strPath.c_str()) == 0; }

  bool MoveAside(const std::string& suffix, std::string* newPath) override {
    *newPath = m_strPath + suffix;
    // link() refuses an existing name where rename() would replace it.
    if (link(m_strPath.c_str(), newPath->c_str()) != 0) return false;
    return unlink(m_strPath.c_str()) == 0;
  }

  std::unique_ptr<CLock> LockForUpdate() override {
    int fd = open((m_strPath + ".lock").c_str(), O_RDWR | O_CREAT, 0644);
    if (fd < 0) return nullptr;
    while (flock(fd, LOCK_EX) != 0) {
      if (errno != EINTR) {
        close(fd);
        return nullptr;
      }
    }
    RemoveStaleTempFiles();
    return std::unique_ptr<CLock>(new CPosixLock(fd));
  }

 private:
  // Makes the rename itself durable. The new content is already on disk; a folder that cannot
  // be synced (some file systems refuse) only risks the old content after a power cut.
  void SyncFolder() {
    int dir = open(FolderOf(m_strPath).c_str(), O_RDONLY);
    if (dir < 0) return;
    fsync(dir);
    close(dir);
  }

  // Only writers holding the lock make temp files, so while we hold it all of them are stale.
  void RemoveStaleTempFiles() {
    const std::string folder = FolderOf(m_strPath);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    const std::string prefix = folder == "." ? std::string() : folder;
    while (struct dirent* entry = readdir(dir)) {
      const std::string candidate = prefix + entry->d_name;
      // A leftover that cannot be deleted now is tried again at the next update.
      if (IsTempConfigName(m_strPath, candidate)) unlink(candidate.c_str());
    }
    closedir(dir);
  }

  std::string m_strPath;
  std::atomic<unsigned> m_nTempCounter{0};
};

}  // namespace

std::unique_ptr<IConfigFile> MakeConfigFile(const std::string& path) {
  return std::unique_ptr<IConfigFile>(new CPosixConfigFile(path));
}

}  // namespace dorvik
