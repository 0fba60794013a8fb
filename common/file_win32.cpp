#include "common/file_win32.h"

#include "common/system_error.h"

namespace dorvik {

namespace {

// Sequential reads and writes keep their own position, so ReadAt/WriteAt never disturb it. Every
// access moves the file pointer first when it is elsewhere, rather than passing an OVERLAPPED
// offset: under Wine an OVERLAPPED read or write costs one more round trip to the server (a
// completion record), once per file read.
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
      DWORD n = 0;
      if (!MovePointer(offset) || !WriteFile(m_h.Get(), data, Limit(size), &n, nullptr)) {
        m_nPointer = kPointerUnknown;
        return NoteSystemError();
      }
      if (n == 0) return false;
      data += n;
      offset += n;
      size -= n;
      m_nPointer = offset;
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
    m_nPos = m_nPointer = size;
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
  bool MovePointer(std::uint64_t offset) {
    if (offset == m_nPointer) return true;
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(m_h.Get(), pos, nullptr, FILE_BEGIN)) return false;
    m_nPointer = offset;
    return true;
  }
  bool ReadChunk(std::uint64_t offset, char* buffer, DWORD size, DWORD* got) {
    *got = 0;
    if (!MovePointer(offset) || !ReadFile(m_h.Get(), buffer, size, got, nullptr)) {
      *got = 0;
      m_nPointer = kPointerUnknown;
      return NoteSystemError();
    }
    m_nPointer = offset + *got;
    return true;
  }
  static const std::uint64_t kPointerUnknown = ~std::uint64_t(0);
  CKernelHandle m_h;
  bool m_bWritable;
  std::uint64_t m_nPos = 0;      // where the next Read or Write goes
  std::uint64_t m_nPointer = 0;  // where the system's file pointer is
};

}  // namespace

std::unique_ptr<IFile> MakeWin32File(CKernelHandle handle, bool bWritable) {
  return std::unique_ptr<IFile>(new CWin32File(std::move(handle), bWritable));
}

}  // namespace dorvik
