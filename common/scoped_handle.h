#pragma once
// Owners of Windows handles: a handle type with a trait for how it closes, so every path out of
// a function closes what it opened.
#include "common/win32.h"

namespace dorvik {

template <typename Traits>
class CScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  CScopedHandle() = default;
  explicit CScopedHandle(Handle h) : m_h(h) {}
  ~CScopedHandle() { Reset(); }
  CScopedHandle(const CScopedHandle&) = delete;
  CScopedHandle& operator=(const CScopedHandle&) = delete;
  CScopedHandle(CScopedHandle&& other) noexcept : m_h(other.Release()) {}
  CScopedHandle& operator=(CScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  explicit operator bool() const { return Traits::IsValid(m_h); }
  Handle Get() const { return m_h; }
  Handle Release() {
    Handle h = m_h;
    m_h = Traits::Invalid();
    return h;
  }
  // For calls that hand the handle back through a pointer (RegCreateKeyEx).
  Handle* Receive() {
    Reset();
    return &m_h;
  }
  // Closes now, for callers that must know whether the close (a flush) succeeded.
  bool Close() {
    const bool bOk = Traits::IsValid(m_h) && Traits::Close(m_h);
    m_h = Traits::Invalid();
    return bOk;
  }
  void Reset(Handle h = Traits::Invalid()) {
    // A close on the way out has no one to tell of a failure; Close() is there for those who care.
    if (Traits::IsValid(m_h)) Traits::Close(m_h);
    m_h = h;
  }

 private:
  Handle m_h = Traits::Invalid();
};

// Files, processes, threads, mutexes: CreateFile fails with INVALID_HANDLE_VALUE, the others
// with null, so both count as no handle.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) { return CloseHandle(h) != 0; }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) { return FindClose(h) != 0; }
};

struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static bool Close(Handle h) { return CloseServiceHandle(h) != 0; }
};

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static bool Close(Handle h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};

struct EventSourceTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static bool Close(Handle h) { return DeregisterEventSource(h) != 0; }
};

using CKernelHandle = CScopedHandle<KernelHandleTraits>;
using CFindHandle = CScopedHandle<FindHandleTraits>;
using CServiceHandle = CScopedHandle<ServiceHandleTraits>;
using CRegistryKey = CScopedHandle<RegistryKeyTraits>;
using CEventSource = CScopedHandle<EventSourceTraits>;

}  // namespace dorvik
