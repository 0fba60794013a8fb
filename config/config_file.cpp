// config.db on the common file system: a save writes a new file beside config.db and moves it
// over the old one; updates take a named lock that every process of the machine reaches (the
// service in session 0, the console in a user's). Windows cannot move a file over one that is
// open, even when the reader shares delete, so our own readers take the same lock for the moment
// of their read: a save then only ever waits for foreign readers (a scanner, a backup tool), and
// retries for them.
#include "config/config_file.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "common/file_system.h"
#include "common/gbk.h"
#include "common/named_lock.h"
#include "common/process_id.h"
#include "config/config_temp_name.h"

namespace dorvik {

namespace {

constexpr int kReplaceAttempts = 100;  // 100 x 20 ms: a scanner or backup tool holding the file
constexpr auto kReplaceRetry = std::chrono::milliseconds(20);
constexpr unsigned kReaderWaitMs = 30000;
constexpr unsigned kUpdateWaitMs = 0xFFFFFFFF;  // as long as it takes
constexpr std::size_t kReadChunk = 1 << 20;

// The folder part with its separator: "\\" (looked for by whole characters, since it can be a
// GBK trail byte), or "/" in the native build.
std::string FolderOf(const std::string& path) {
  const std::string::size_type backslash = FindLastChar(path, '\\');
  const std::string::size_type slash = path.rfind('/');
  const std::string::size_type end =
      std::max(backslash == std::string::npos ? 0 : backslash + 1, slash == std::string::npos ? 0 : slash + 1);
  return path.substr(0, end);
}

class CHeldLock : public IConfigFile::CLock {
 public:
  explicit CHeldLock(INamedLock& lock) : m_lock(lock) {}
  ~CHeldLock() override { m_lock.Give(); }

 private:
  INamedLock& m_lock;
};

class CStoredConfigFile : public IConfigFile {
 public:
  CStoredConfigFile(const std::string& path, IFileSystem& files)
      : m_files(files),
        m_strPath(files.FullPath(path)),
        m_pLock(MakeNamedLock(ConfigLockName(m_strPath))) {}

  bool Exists() override {
    DirectoryEntry entry;
    return m_files.Stat(m_strPath, &entry) && !entry.isDirectory;
  }

  ConfigReadResult ReadStored(std::string* stored, std::size_t maxBytes) override {
    stored->clear();
    // Held only while reading; a writer stuck past the wait is not waited for any longer.
    std::unique_ptr<CLock> lock = TakeLock(kReaderWaitMs);
    std::unique_ptr<IFile> file = m_files.OpenForReading(m_strPath);
    if (!file) return ConfigReadResult::OpenFailed;
    std::size_t wanted = static_cast<std::size_t>(file->Size());
    if (maxBytes != 0) wanted = std::min(wanted, maxBytes);
    stored->resize(wanted);
    std::size_t done = 0;
    while (done < wanted) {
      std::size_t got = 0;
      if (!file->Read(&(*stored)[done], std::min(wanted - done, kReadChunk), &got)) {
        stored->clear();
        return ConfigReadResult::ReadFailed;
      }
      if (got == 0) break;  // the file shrank since its size was taken
      done += got;
    }
    stored->resize(done);
    return ConfigReadResult::Ok;
  }

  bool WriteStored(const std::string& stored) override {
    const std::string temp = TempConfigName(m_strPath, CurrentProcessId(), ++m_nTempCounter);
    if (!WriteNewFile(temp, stored)) {
      m_files.RemoveFile(temp);  // nothing or a part was written; it is ours to remove
      return false;
    }
    // A move refused for another reason fails the same way each time: the retries only cost
    // two seconds before the save reports its failure.
    for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
      if (m_files.MoveOver(temp, m_strPath)) return true;
      std::this_thread::sleep_for(kReplaceRetry);
    }
    m_files.RemoveFile(temp);
    return false;
  }

  bool Remove() override { return m_files.RemoveFile(m_strPath); }

  bool MoveAside(const std::string& suffix, std::string* newPath) override {
    *newPath = m_strPath + suffix;
    return m_files.MoveToNewName(m_strPath, *newPath);
  }

  std::unique_ptr<CLock> LockForUpdate() override {
    std::unique_ptr<CLock> lock = TakeLock(kUpdateWaitMs);
    if (lock) RemoveStaleTempFiles();
    return lock;
  }

 private:
  // The lock is recursive for its owner thread, so a read inside an update does not wait.
  std::unique_ptr<CLock> TakeLock(unsigned timeoutMs) {
    std::string why;
    if (!m_pLock->Take(timeoutMs, &why)) return nullptr;
    return std::unique_ptr<CLock>(new CHeldLock(*m_pLock));
  }

  bool WriteNewFile(const std::string& path, const std::string& bytes) {
    std::unique_ptr<IFile> file = m_files.CreateNewFile(path);
    if (!file) return false;
    const bool bWritten = file->Write(bytes.data(), bytes.size());
    return file->Close() && bWritten;
  }

  // Leftovers of a writer killed before its move. Only writers holding the lock make temp
  // files, so while we hold it every one of them is stale.
  void RemoveStaleTempFiles() {
    const std::string folder = FolderOf(m_strPath);
    for (const DirectoryEntry& entry : m_files.ListDirectory(folder.empty() ? "." : folder)) {
      const std::string candidate = folder + entry.name;
      // A leftover that cannot be deleted now is tried again at the next update.
      if (!entry.isDirectory && IsTempConfigName(m_strPath, candidate)) m_files.RemoveFile(candidate);
    }
  }

  IFileSystem& m_files;
  std::string m_strPath;
  std::unique_ptr<INamedLock> m_pLock;
  std::atomic<unsigned> m_nTempCounter{0};
};

}  // namespace

std::unique_ptr<IConfigFile> MakeConfigFile(const std::string& path) {
  return std::unique_ptr<IConfigFile>(new CStoredConfigFile(path, RealFileSystem()));
}

}  // namespace dorvik
