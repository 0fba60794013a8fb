// IFileSystem on the Win32 W functions with long paths: the system's paths are GBK bytes with
// the private form for other names (common/code_page_names.h), turned into "\\?\" paths here,
// so any name NTFS holds and any path length up to its limit is reached.
#include "common/file_system.h"

#include "common/code_page_names.h"
#include "common/file_system_long_path.h"
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

std::wstring ToWide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string FromWide(const wchar_t* text, std::size_t size) { return std::u16string(text, text + size); }

// The current folder, for relative paths; empty when it cannot be read.
std::u16string CurrentFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), &folder[0]);
    if (n == 0) return std::u16string();
    if (n < folder.size()) return FromWide(folder.data(), n);
    folder.resize(n);
  }
}

// The long form of a narrow path. A path that is no narrow name (see WideName) fails the call
// that uses it with ERROR_INVALID_NAME: an empty wide path names nothing.
class CLongPath {
 public:
  explicit CLongPath(const std::string& path) {
    std::u16string wide;
    if (!WideName(path, &wide) || wide.empty()) return;
    const std::u16string current = IsRelativePath(wide) ? CurrentFolder() : std::u16string();
    if (IsRelativePath(wide) && current.empty()) return;
    m_str = ToWide(LongPathForm(wide, current));
  }
  const wchar_t* c_str() const { return m_str.c_str(); }
  const std::wstring& Text() const { return m_str; }
  // Calls on an empty path fail by themselves; this says why.
  bool Valid() const {
    if (m_str.empty()) SetLastError(ERROR_INVALID_NAME);
    return !m_str.empty();
  }

 private:
  std::wstring m_str;
};

// A name or path from the system in the narrow form, its long prefix taken off.
std::string NarrowPath(const wchar_t* text, std::size_t size) {
  return NarrowName(WithoutLongPrefix(FromWide(text, size)));
}

DWORD AttributesOf(const std::string& path) {
  const CLongPath wide(path);
  return wide.Valid() ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
}

// The path with every link on the way resolved, in the long form.
bool RealWidePath(const std::wstring& path, std::wstring* real) {
  // Backup semantics open folders too; no access right is needed to ask for the name.
  CKernelHandle handle(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return false;
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(handle.Get(), &buffer[0], static_cast<DWORD>(buffer.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) break;
    if (length < buffer.size()) {
      real->assign(buffer.data(), length);
      return true;
    }
    buffer.resize(length);  // the size it needs, terminator included
  }
  // Wine answers only within MAX_PATH. Past it, an entry that is no link itself lies where its
  // folder really is, under its own name.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const std::wstring::size_type slash = path.rfind(L'\\');
  const std::wstring::size_type root = path.compare(0, 8, L"\\\\?\\UNC\\") == 0 ? 8 : 7;
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      slash == std::wstring::npos || slash < root || !RealWidePath(path.substr(0, slash), real)) {
    return false;
  }
  *real += path.substr(slash);
  return true;
}

class CWin32FileSystem : public IFileSystem {
 public:
  bool Exists(const std::string& path) override { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

  bool IsDirectory(const std::string& path) override {
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool Stat(const std::string& path, DirectoryEntry* entry) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    const CLongPath wide(path);
    if (!wide.Valid() || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
      return NoteSystemError();
    }
    *entry = EntryOf(LastPathComponent(path), data.dwFileAttributes, data.nFileSizeHigh,
                     data.nFileSizeLow, data.ftLastWriteTime, data.ftCreationTime);
    return true;
  }

  bool MakeDirectory(const std::string& path) override {
    const CLongPath wide(path);
    if (wide.Valid() && CreateDirectoryW(wide.c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    if (IsDirectory(path)) return true;
    SetLastError(error);
    return NoteSystemError();
  }

  bool ListDirectory(const std::string& folder, std::vector<DirectoryEntry>* entries) override {
    const CLongPath wide(folder);
    if (!wide.Valid()) return NoteSystemError();
    const std::wstring pattern = wide.Text() + (wide.Text().back() == L'\\' ? L"*" : L"\\*");
    WIN32_FIND_DATAW found;
    CFindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return GetLastError() == ERROR_FILE_NOT_FOUND || NoteSystemError();
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      entries->push_back(EntryOf(NarrowPath(name.data(), name.size()), found.dwFileAttributes,
                                 found.nFileSizeHigh, found.nFileSizeLow, found.ftLastWriteTime,
                                 found.ftCreationTime));
    } while (FindNextFileW(search.Get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES || NoteSystemError();
  }

  bool RemoveFile(const std::string& path) override {
    const CLongPath wide(path);
    return (wide.Valid() && DeleteFileW(wide.c_str()) != 0) || NoteSystemError();
  }

  bool MakeNewFolder(const std::string& path) override {
    const CLongPath wide(path);
    return (wide.Valid() && CreateDirectoryW(wide.c_str(), nullptr) != 0) || NoteSystemError();
  }

  bool RemoveLink(const std::string& path) override {
    // RemoveDirectory takes away a folder link or junction without touching its target;
    // DeleteFile does the same for a file link.
    const CLongPath wide(path);
    const DWORD attributes = wide.Valid() ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(wide.c_str()) != 0;
    return DeleteFileW(wide.c_str()) != 0;
  }

  bool FindRealPath(const std::string& path, std::string* realPath) override {
    realPath->clear();
    const CLongPath wide(path);
    std::wstring real;
    if (!wide.Valid() || !RealWidePath(wide.Text(), &real)) return NoteSystemError();
    *realPath = NarrowPath(real.data(), real.size());
    return true;
  }

  bool ClearReadOnly(const std::string& path) override {
    const CLongPath wide(path);
    const DWORD attributes = wide.Valid() ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES) return NoteSystemError();
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return false;
    return SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != 0 ||
           NoteSystemError();
  }

  bool RemoveEmptyDirectory(const std::string& path) override {
    const CLongPath wide(path);
    return (wide.Valid() && RemoveDirectoryW(wide.c_str()) != 0) || NoteSystemError();
  }

  bool ReadWholeFile(const std::string& path, std::string* content) override {
    content->clear();
    CKernelHandle file(Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
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
    CKernelHandle file(Open(path, FILE_APPEND_DATA | GENERIC_READ | SYNCHRONIZE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL));
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
    // Sharing delete too: a reader must never stop a save that moves a new file over this one
    // (config.db) or make it fail for a moment.
    CKernelHandle file(Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
    if (!file) {
      NoteSystemError();
      return nullptr;
    }
    return MakeWin32File(std::move(file), false);
  }

  std::unique_ptr<IFile> CreateNewFile(const std::string& path) override {
    CKernelHandle file(Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL));
    if (!file) {
      NoteSystemError();
      return nullptr;
    }
    return MakeWin32File(std::move(file), true);
  }

  bool MoveOver(const std::string& from, const std::string& to) override {
    const CLongPath wideFrom(from), wideTo(to);
    return (wideFrom.Valid() && wideTo.Valid() &&
            MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) ||
           NoteSystemError();
  }

  bool MoveToNewName(const std::string& from, const std::string& to) override {
    const CLongPath wideFrom(from), wideTo(to);
    return (wideFrom.Valid() && wideTo.Valid() &&
            MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH) != 0) ||
           NoteSystemError();
  }

  bool SetLastWriteTime(const std::string& path, std::int64_t epochSeconds) override {
    const FILETIME time = FileTimeOf(epochSeconds);
    CKernelHandle file(Open(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    if (!file || !SetFileTime(file.Get(), nullptr, nullptr, &time)) return NoteSystemError();
    return file.Close() || NoteSystemError();
  }

  bool UsesWindowsPaths() const override { return true; }

  std::string FullPath(const std::string& path) override {
    const CLongPath wide(path);
    return wide.Valid() ? NarrowPath(wide.Text().data(), wide.Text().size()) : path;
  }

  bool SamePath(const std::string& a, const std::string& b) override {
    return AsciiLower(a) == AsciiLower(b);
  }

  // A malformed name comes back as it was: as a path it then names nothing.
  std::string NameToUtf8(const std::string& name) override {
    std::string utf8;
    return NarrowNameToUtf8(name, &utf8) ? utf8 : name;
  }
  std::string NameFromUtf8(const std::string& utf8) override {
    std::string name;
    return NarrowNameFromUtf8(utf8, &name) ? name : utf8;
  }

  std::string LastErrorText() override { return LastNotedErrorText(); }

 private:
  static CKernelHandle Open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                            DWORD flags) {
    const CLongPath wide(path);
    if (!wide.Valid()) return CKernelHandle();
    return CKernelHandle(CreateFileW(wide.c_str(), access, share, nullptr, disposition, flags, nullptr));
  }
};

}  // namespace

IFileSystem& RealFileSystem() {
  static CWin32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace dorvik
