// config.db on Windows: a save writes a new file beside config.db and moves it over the old one;
// updates take a named mutex. Windows cannot move a file over one that is open, even when the
// reader shares delete, so our own readers take the same mutex for the moment of their read: a
// save then only ever waits for foreign readers (a scanner, a backup tool), and retries for them.
#include "common/scoped_handle.h"

#include <algorithm>
#include <atomic>

#include "common/gbk.h"
#include "config/config_file.h"
#include "config/config_temp_name.h"

namespace dorvik {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr int kReplaceAttempts = 100;  // 100 x 20 ms: a scanner or backup tool holding the file
constexpr DWORD kReplaceRetryMs = 20;
constexpr DWORD kReaderWaitMs = 30000;

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 2];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (n == 0 || n >= sizeof buffer) return path;
  return std::string(buffer, n);
}

class CWin32Lock : public IConfigFile::CLock {
 public:
  explicit CWin32Lock(CKernelHandle mutex) : m_hMutex(std::move(mutex)) {}
  // Not owning it any more is all a failed release could mean; closing the handle ends it anyway.
  ~CWin32Lock() override { ReleaseMutex(m_hMutex.Get()); }

 private:
  CKernelHandle m_hMutex;
};

class CWin32ConfigFile : public IConfigFile {
 public:
  explicit CWin32ConfigFile(const std::string& path) : m_strPath(FullPath(path)) {}

  bool Exists() override {
    DWORD attributes = GetFileAttributesA(m_strPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  ConfigReadResult ReadStored(std::string* stored, std::size_t maxBytes) override {
    stored->clear();
    // Held only while reading; a writer stuck past the wait is not waited for any longer.
    std::unique_ptr<CLock> lock = AcquireMutex(kReaderWaitMs);
    CKernelHandle file(CreateFileA(m_strPath.c_str(), GENERIC_READ, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ConfigReadResult::OpenFailed;
    ConfigReadResult result = ReadAll(file.Get(), stored, maxBytes);
    if (result != ConfigReadResult::Ok) stored->clear();
    return result;
  }

  bool WriteStored(const std::string& stored) override {
    const std::string temp = TempConfigName(m_strPath, GetCurrentProcessId(), ++m_nTempCounter);
    if (!WriteNewFile(temp, stored)) {
      DeleteFileA(temp.c_str());
      return false;
    }
    for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
      if (MoveFileExA(temp.c_str(), m_strPath.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
      }
      DWORD error = GetLastError();
      if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
          error != ERROR_LOCK_VIOLATION) {
        break;
      }
      Sleep(kReplaceRetryMs);
    }
    DeleteFileA(temp.c_str());
    return false;
  }

  bool Remove() override { return DeleteFileA(m_strPath.c_str()) != 0; }

  bool MoveAside(const std::string& suffix, std::string* newPath) override {
    *newPath = m_strPath + suffix;
    return MoveFileExA(m_strPath.c_str(), newPath->c_str(), MOVEFILE_WRITE_THROUGH) != 0;
  }

  std::unique_ptr<CLock> LockForUpdate() override {
    std::unique_ptr<CLock> lock = AcquireMutex(INFINITE);
    if (lock) RemoveStaleTempFiles();
    return lock;
  }

 private:
  // The mutex is recursive for its owner thread, so a read inside an update does not wait.
  std::unique_ptr<CLock> AcquireMutex(DWORD timeoutMs) {
    CKernelHandle mutex(CreateMutexA(nullptr, FALSE, ConfigLockName(m_strPath).c_str()));
    if (!mutex) return nullptr;
    // An abandoned mutex means a writer died holding it; its save was atomic, so carry on.
    DWORD wait = WaitForSingleObject(mutex.Get(), timeoutMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return nullptr;
    return std::unique_ptr<CLock>(new CWin32Lock(std::move(mutex)));
  }

  static ConfigReadResult ReadAll(HANDLE file, std::string* stored, std::size_t maxBytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return ConfigReadResult::SeekFailed;
    unsigned long long wanted = static_cast<unsigned long long>(size.QuadPart);
    if (maxBytes != 0 && wanted > maxBytes) wanted = maxBytes;
    stored->resize(static_cast<std::size_t>(wanted));
    std::size_t done = 0;
    while (done < stored->size()) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(stored->size() - done, 1 << 20));
      DWORD got = 0;
      if (!ReadFile(file, &(*stored)[done], chunk, &got, nullptr)) {
        return ConfigReadResult::ReadFailed;
      }
      if (got == 0) break;  // the file shrank since its size was taken
      done += got;
    }
    stored->resize(done);
    return ConfigReadResult::Ok;
  }

  static bool WriteNewFile(const std::string& path, const std::string& bytes) {
    CKernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
      DWORD written = 0;
      ok = WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) && written == chunk;
      done += written;
    }
    ok = ok && FlushFileBuffers(file.Get());
    return file.Close() && ok;
  }

  // Leftovers of a writer killed before its move. Only writers holding the lock make temp
  // files, so while we hold it every one of them is stale.
  void RemoveStaleTempFiles() {
    WIN32_FIND_DATAA found;
    CFindHandle search(FindFirstFileA(TempConfigPattern(m_strPath).c_str(), &found));
    if (!search) return;
    const std::string folder = DirectoryWithSlash(m_strPath);
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          IsTempConfigName(m_strPath, folder + found.cFileName)) {
        // A leftover that cannot be deleted now is tried again at the next update.
        DeleteFileA((folder + found.cFileName).c_str());
      }
    } while (FindNextFileA(search.Get(), &found));
  }

  std::string m_strPath;
  std::atomic<unsigned> m_nTempCounter{0};
};

}  // namespace

std::unique_ptr<IConfigFile> MakeConfigFile(const std::string& path) {
  return std::unique_ptr<IConfigFile>(new CWin32ConfigFile(path));
}

}  // namespace dorvik
