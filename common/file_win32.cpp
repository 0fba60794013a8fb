#include "common/file_win32.h"

#include "common/system_error.h"

namespace dorvik {

namespace {

// Every access is positioned (OVERLAPPED offsets on a synchronous handle), so sequential reads
// and writes keep their own position and ReadAt/WriteAt never disturb it.
class CWin32File : public IFile {
 public:
  CWin32File(CKernelHandle handle, bool bWritable) : m_h(std::move(handle)), m_bWritable(bWritable) {}
  bool Read(char* buffer, std::size_t size, std::size_t* got) override {
    DWORD n = 0;
    if (!ReadChunk(m_nPos, buffer, Limit(size), &n)) return false;
    m_nPos += n;
    *got = n;
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
      if (!ReadChunk(offset, buffer, Limit(size), &n) || n == 0) return false;
      buffer += n;
      offset += n;
      size -= n;
    }
    return true;
  }
  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    while (size > 0) {
      OVERLAPPED ov = At(offset);
      DWORD n = 0;
      if (!WriteFile(m_h.Get(), data, Limit(size), &n, &ov)) return NoteSystemError();
      if (n == 0) return false;
      data += n;
      offset += n;
      size -= n;
    }
    return true;
  }
  std::uint64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(m_h.Get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  }
  bool Truncate(std::uint64_t size) override {
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(m_h.Get(), pos, nullptr, FILE_BEGIN) || !SetEndOfFile(m_h.Get())) {
      return NoteSystemError();
    }
    m_nPos = size;
    return true;
  }
  bool Close() override {
    const bool bFlushed = !m_bWritable || FlushFileBuffers(m_h.Get()) != 0 || NoteSystemError();
    return (m_h.Close() || NoteSystemError()) && bFlushed;
  }

 private:
  static DWORD Limit(std::size_t size) {
    return size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  }
  static OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED ov = OVERLAPPED();
    ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return ov;
  }
  bool ReadChunk(std::uint64_t offset, char* buffer, DWORD size, DWORD* got) {
    OVERLAPPED ov = At(offset);
    if (ReadFile(m_h.Get(), buffer, size, got, &ov)) return true;
    *got = 0;
    return GetLastError() == ERROR_HANDLE_EOF || NoteSystemError();
  }
  CKernelHandle m_h;
  bool m_bWritable;
  std::uint64_t m_nPos = 0;
};

}  // namespace

std::unique_ptr<IFile> MakeWin32File(CKernelHandle handle, bool bWritable) {
  return std::unique_ptr<IFile>(new CWin32File(std::move(handle), bWritable));
}

}  // namespace dorvik
