// IFileSystem on the Win32 A functions: paths are GBK bytes as the system passes them.
#include <windows.h>
// The interface's member names are also <windows.h> macros; here they must stay plain names.
#undef CreateDirectory
#undef DeleteFile
#undef RemoveDirectory

#include "common/file_system.h"
#include "common/gbk.h"

namespace dorvik {

namespace {

// FILETIME counts 100 ns steps from 1601-01-01; the epoch is 11644473600 s later.
std::int64_t EpochSeconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<std::int64_t>(value.QuadPart / 10000000ULL) - 11644473600LL;
}

std::string WithSlash(const std::string& folder) {
  if (!folder.empty() && FindLastChar(folder, '\\') == folder.size() - 1) return folder;
  return folder + "\\";
}

class Win32FileSystem : public IFileSystem {
 public:
  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool IsDirectory(const std::string& path) override {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool CreateDirectory(const std::string& path) override {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    return IsDirectory(path);
  }

  std::vector<DirectoryEntry> ListDirectory(const std::string& folder) override {
    std::vector<DirectoryEntry> entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((WithSlash(folder) + "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      DirectoryEntry entry;
      entry.name = name;
      entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      entry.lastWriteTime = EpochSeconds(found.ftLastWriteTime);
      if (!entry.isDirectory) {
        entry.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) |
                                               found.nFileSizeLow);
      }
      entries.push_back(entry);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
  }

  bool DeleteFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

  bool RemoveDirectory(const std::string& path) override {
    return RemoveDirectoryA(path.c_str()) != 0;
  }

  bool MakeNewFolder(const std::string& path) override {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
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
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    char buffer[MAX_PATH * 4];
    DWORD length = GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(handle);
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

  bool ReadFile(const std::string& path, std::string* content) override {
    content->clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
        ok = false;
        break;
      }
      if (got == 0) break;
      content->append(buffer, got);
    }
    CloseHandle(file);
    if (!ok) content->clear();
    return ok;
  }

  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the current end of file.
    // GENERIC_READ is there only because LockFileEx needs a read or write right.
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA | GENERIC_READ | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // Writers serialise on one byte far beyond any real data, so readers are never blocked.
    OVERLAPPED region = {};
    region.Offset = 0;
    region.OffsetHigh = 0x7FFFFFFF;
    bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &region) != 0;
    DWORD written = 0;
    bool ok = locked && WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                  nullptr) &&
              written == bytes.size();
    if (locked) UnlockFileEx(file, 0, 1, 0, &region);  // closing the handle unlocks it anyway
    CloseHandle(file);
    return ok;
  }
};

}  // namespace

IFileSystem& RealFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace dorvik
