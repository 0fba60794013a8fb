#include "tools/rar/rar_file_system_win32.h"

#include <windows.h>

#include "common/gbk.h"

namespace dorvik {
namespace rar {

namespace {

LocalTime FromSystemTime(const SYSTEMTIME& st) {
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.weekday = st.wDayOfWeek;
  return t;
}

LocalTime FromFileTime(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return LocalTime();
  return FromSystemTime(st);
}

std::string Convert(const std::string& text, UINT from, UINT to) {
  if (text.empty()) return text;
  const int nWide = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (nWide <= 0) return text;
  std::wstring wide(static_cast<std::size_t>(nWide), L'\0');
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], nWide);
  const int nOut = WideCharToMultiByte(to, 0, wide.data(), nWide, nullptr, 0, nullptr, nullptr);
  if (nOut <= 0) return text;
  std::string out(static_cast<std::size_t>(nOut), '\0');
  WideCharToMultiByte(to, 0, wide.data(), nWide, &out[0], nOut, nullptr, nullptr);
  return out;
}

// Sequential reads and writes keep their own position, so ReadAt/WriteAt never disturb it. Every
// access moves the file pointer first when it is elsewhere, rather than passing an OVERLAPPED
// offset: under Wine an OVERLAPPED read or write costs one more round trip to the server (a
// completion record), once per file read.
class CWin32File : public IRarFile {
 public:
  CWin32File(HANDLE h, bool bWritable) : m_h(h), m_bWritable(bWritable) {}
  ~CWin32File() override {
    if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);  // a read handle, or a write already failed
  }
  bool Read(char* buffer, std::size_t size, std::size_t& got) override {
    DWORD n = 0;
    if (!ReadChunk(m_nPos, buffer, Limit(size), n)) return false;
    m_nPos += n;
    got = n;
    return true;
  }
  bool Write(const char* data, std::size_t size) override {
    if (!WriteAt(m_nPos, data, size)) return false;
    m_nPos += size;
    return true;
  }
  bool ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    while (size > 0) {
      DWORD n = 0;
      if (!ReadChunk(offset, buffer, Limit(size), n) || n == 0) return false;
      buffer += n;
      offset += n;
      size -= n;
    }
    return true;
  }
  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD n = 0;
      if (!MovePointer(offset) || !WriteFile(m_h, data, Limit(size), &n, nullptr) || n == 0) {
        m_nPointer = kPointerUnknown;
        return false;
      }
      data += n;
      offset += n;
      size -= n;
      m_nPointer = offset;
    }
    return true;
  }
  std::uint64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(m_h, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  }
  bool Truncate(std::uint64_t size) override {
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(m_h, pos, nullptr, FILE_BEGIN) || !SetEndOfFile(m_h)) return false;
    m_nPos = m_nPointer = size;
    return true;
  }
  bool Close() override {
    bool bOk = !m_bWritable || FlushFileBuffers(m_h) != 0;
    bOk = CloseHandle(m_h) != 0 && bOk;
    m_h = INVALID_HANDLE_VALUE;
    return bOk;
  }

 private:
  static DWORD Limit(std::size_t size) {
    return size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  }
  bool MovePointer(std::uint64_t offset) {
    if (offset == m_nPointer) return true;
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(m_h, pos, nullptr, FILE_BEGIN)) return false;
    m_nPointer = offset;
    return true;
  }
  bool ReadChunk(std::uint64_t offset, char* buffer, DWORD size, DWORD& got) {
    got = 0;
    if (!MovePointer(offset)) return false;
    if (!ReadFile(m_h, buffer, size, &got, nullptr)) {
      got = 0;
      m_nPointer = kPointerUnknown;
      return false;
    }
    m_nPointer = offset + got;
    return true;
  }
  static const std::uint64_t kPointerUnknown = ~std::uint64_t(0);
  HANDLE m_h;
  bool m_bWritable;
  std::uint64_t m_nPos = 0;      // where the next Read or Write goes
  std::uint64_t m_nPointer = 0;  // where the system's file pointer is
};

class CWin32FileSystem : public IRarFileSystem {
 public:
  PathStyle Style() const override { return PathStyle::Windows(); }
  bool Stat(const std::string& path, FileInfo& info) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    info.name = Style().LastComponent(path);
    info.bDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.size = info.bDirectory ? 0 : (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
    info.lastWrite = FromFileTime(data.ftLastWriteTime);
    return true;
  }
  bool ListFolder(const std::string& folder, std::vector<FileInfo>& entries) override {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(Style().Join(folder, "*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      FileInfo info;
      info.name = name;
      info.bDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      info.size = info.bDirectory ? 0 : (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
      info.lastWrite = FromFileTime(data.ftLastWriteTime);
      entries.push_back(info);
    } while (FindNextFileA(h, &data));
    const bool bComplete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(h);
    return bComplete;
  }
  std::unique_ptr<IRarFile> OpenRead(const std::string& path) override {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::unique_ptr<IRarFile>(new CWin32File(h, false));
  }
  std::unique_ptr<IRarFile> CreateNew(const std::string& path) override {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::unique_ptr<IRarFile>(new CWin32File(h, true));
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  bool RemoveFile(const std::string& path) override {
    if (DeleteFileA(path.c_str())) return true;
    // A read-only file (common for copied backups) needs its attribute cleared first.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0) return false;
    return SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) &&
           DeleteFileA(path.c_str());
  }
  bool RemoveFolder(const std::string& path) override { return RemoveDirectoryA(path.c_str()) != 0; }
  bool MakeFolder(const std::string& path) override {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  bool AppendToFile(const std::string& path, const std::string& text) override {
    HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const bool bOk = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr) &&
                     n == text.size();
    return CloseHandle(h) != 0 && bOk;
  }
  bool SetLastWriteTime(const std::string& path, const LocalTime& time) override {
    SYSTEMTIME st = SYSTEMTIME();
    st.wYear = static_cast<WORD>(time.year);
    st.wMonth = static_cast<WORD>(time.month);
    st.wDay = static_cast<WORD>(time.day);
    st.wHour = static_cast<WORD>(time.hour);
    st.wMinute = static_cast<WORD>(time.minute);
    st.wSecond = static_cast<WORD>(time.second);
    FILETIME local, utc;
    if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool bOk = SetFileTime(h, nullptr, nullptr, &utc) != 0;
    return CloseHandle(h) != 0 && bOk;
  }
  std::string FullPath(const std::string& path) override {
    char buffer[MAX_PATH * 4];
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
  }
  bool SamePath(const std::string& a, const std::string& b) override {
    return AsciiLower(a) == AsciiLower(b);
  }
  // The A functions speak the ANSI code page (936 on the target machines).
  std::string NameToUtf8(const std::string& name) override { return Convert(name, CP_ACP, CP_UTF8); }
  std::string NameFromUtf8(const std::string& utf8) override { return Convert(utf8, CP_UTF8, CP_ACP); }
  std::string ProgramFolder() override {
    char buffer[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return Style().Parent(std::string(buffer, n < sizeof buffer ? n : 0));
  }
  LocalTime Now() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return FromSystemTime(st);
  }
};

}  // namespace

std::unique_ptr<IRarFileSystem> CreateWin32FileSystem() {
  return std::unique_ptr<IRarFileSystem>(new CWin32FileSystem());
}

}  // namespace rar
}  // namespace dorvik
