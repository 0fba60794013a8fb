// IFileSystem on the Win32 A functions: paths are GBK bytes as the system passes them.
#include "common/file_system.h"

#include "common/code_page_win32.h"
#include "common/file_win32.h"
#include "common/gbk.h"
#include "common/scoped_handle.h"
#include "common/system_error.h"

namespace dorvik {

namespace {

// FILETIME counts 100 ns steps from 1601-01-01; the epoch is 11644473600 s later.
const std::int64_t kEpochFrom1601 = 11644473600LL;

std::int64_t EpochSeconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<std::int64_t>(value.QuadPart / 10000000ULL) - kEpochFrom1601;
}

FILETIME FileTimeOf(std::int64_t epochSeconds) {
  ULARGE_INTEGER value;
  value.QuadPart = static_cast<ULONGLONG>(epochSeconds + kEpochFrom1601) * 10000000ULL;
  FILETIME time;
  time.dwLowDateTime = value.LowPart;
  time.dwHighDateTime = value.HighPart;
  return time;
}

DirectoryEntry EntryOf(const std::string& name, DWORD attributes, DWORD sizeHigh, DWORD sizeLow,
                       const FILETIME& lastWrite, const FILETIME& creation) {
  DirectoryEntry entry;
  entry.name = name;
  entry.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  entry.isHiddenOrSystem = (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
  entry.size = entry.isDirectory ? 0 : (static_cast<std::uint64_t>(sizeHigh) << 32 | sizeLow);
  entry.lastWriteTime = EpochSeconds(lastWrite);
  entry.creationTime = EpochSeconds(creation);
  return entry;
}

class CWin32FileSystem : public IFileSystem {
 public:
  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool IsDirectory(const std::string& path) override {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool Stat(const std::string& path, DirectoryEntry* entry) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return NoteSystemError();
    *entry = EntryOf(LastPathComponent(path), data.dwFileAttributes, data.nFileSizeHigh,
                     data.nFileSizeLow, data.ftLastWriteTime, data.ftCreationTime);
    return true;
  }

  bool MakeDirectory(const std::string& path) override {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    if (IsDirectory(path)) return true;
    SetLastError(error);
    return NoteSystemError();
  }

  bool ListDirectory(const std::string& folder, std::vector<DirectoryEntry>* entries) override {
    WIN32_FIND_DATAA found;
    CFindHandle search(FindFirstFileA((WithTrailingBackslash(folder) + "*").c_str(), &found));
    if (!search) return GetLastError() == ERROR_FILE_NOT_FOUND || NoteSystemError();
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      entries->push_back(EntryOf(name, found.dwFileAttributes, found.nFileSizeHigh,
                                 found.nFileSizeLow, found.ftLastWriteTime, found.ftCreationTime));
    } while (FindNextFileA(search.Get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES || NoteSystemError();
  }

  bool RemoveFile(const std::string& path) override {
    return DeleteFileA(path.c_str()) != 0 || NoteSystemError();
  }

  bool MakeNewFolder(const std::string& path) override {
    return CreateDirectoryA(path.c_str(), nullptr) != 0 || NoteSystemError();
  }

  bool RemoveLink(const std::string& path) override {
    // RemoveDirectory takes away a folder link or junction without touching its target;
    // DeleteFile does the same for a file link.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryA(path.c_str()) != 0;
    return DeleteFileA(path.c_str()) != 0;
  }

  bool FindRealPath(const std::string& path, std::string* realPath) override {
    realPath->clear();
    // Backup semantics open folders too; no access right is needed to ask for the name.
    CKernelHandle handle(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return NoteSystemError();
    char buffer[MAX_PATH * 4];
    DWORD length = GetFinalPathNameByHandleA(handle.Get(), buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= sizeof buffer) return false;
    std::string name(buffer, length);
    if (name.compare(0, 8, "\\\\?\\UNC\\") == 0) {
      name = "\\" + name.substr(7);
    } else if (name.compare(0, 4, "\\\\?\\") == 0) {
      name = name.substr(4);
    }
    *realPath = name;
    return true;
  }

  bool ClearReadOnly(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return NoteSystemError();
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return false;
    return SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != 0 ||
           NoteSystemError();
  }

  bool RemoveEmptyDirectory(const std::string& path) override {
    return RemoveDirectoryA(path.c_str()) != 0 || NoteSystemError();
  }

  bool ReadWholeFile(const std::string& path, std::string* content) override {
    content->clear();
    CKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return NoteSystemError();
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) {
        content->clear();
        return NoteSystemError();
      }
      if (got == 0) return true;
      content->append(buffer, got);
    }
  }

  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the current end of file.
    // GENERIC_READ is there only because LockFileEx needs a read or write right.
    CKernelHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA | GENERIC_READ | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return NoteSystemError();
    // Writers serialise on one byte far beyond any real data, so readers are never blocked.
    OVERLAPPED region = {};
    region.Offset = 0;
    region.OffsetHigh = 0x7FFFFFFF;
    if (!LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &region)) return NoteSystemError();
    DWORD written = 0;
    bool ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                        nullptr) != 0 || NoteSystemError();
    ok = ok && written == bytes.size();
    UnlockFileEx(file.Get(), 0, 1, 0, &region);  // closing the handle unlocks it anyway
    return ok;
  }

  std::unique_ptr<IFile> OpenForReading(const std::string& path) override {
    CKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
      NoteSystemError();
      return nullptr;
    }
    return MakeWin32File(std::move(file), false);
  }

  std::unique_ptr<IFile> CreateNewFile(const std::string& path) override {
    CKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                   nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      NoteSystemError();
      return nullptr;
    }
    return MakeWin32File(std::move(file), true);
  }

  bool MoveOver(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 ||
           NoteSystemError();
  }

  bool SetLastWriteTime(const std::string& path, std::int64_t epochSeconds) override {
    const FILETIME time = FileTimeOf(epochSeconds);
    CKernelHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !SetFileTime(file.Get(), nullptr, nullptr, &time)) return NoteSystemError();
    return file.Close() || NoteSystemError();
  }

  bool UsesWindowsPaths() const override { return true; }

  std::string FullPath(const std::string& path) override {
    char buffer[MAX_PATH * 4];
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
  }

  bool SamePath(const std::string& a, const std::string& b) override {
    return AsciiLower(a) == AsciiLower(b);
  }

  // The A functions speak the ANSI code page (936 on the target machines).
  std::string NameToUtf8(const std::string& name) override { return ConvertCodePage(name, CP_ACP, CP_UTF8); }
  std::string NameFromUtf8(const std::string& utf8) override { return ConvertCodePage(utf8, CP_UTF8, CP_ACP); }

  std::string LastErrorText() override { return LastNotedErrorText(); }
};

}  // namespace

IFileSystem& RealFileSystem() {
  static CWin32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace dorvik
