#include "common/named_lock.h"

#include "common/win32.h"

#include <sddl.h>

#include "common/scoped_handle.h"
#include "common/system_error.h"

namespace dorvik {

namespace {

// Everyone may wait for the mutex and release it (SYNCHRONIZE | MUTEX_MODIFY_STATE); the
// system and administrators have every right. Without it, a mutex the service made first
// would stay closed to the console in a user's session, and the other way round.
constexpr const char* kSharedMutexRights = "D:(A;;0x00100001;;;WD)(A;;GA;;;SY)(A;;GA;;;BA)";
constexpr DWORD kUseRights = SYNCHRONIZE | MUTEX_MODIFY_STATE;

struct LocalMemoryTraits {
  using Handle = PSECURITY_DESCRIPTOR;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static bool Close(Handle h) { return LocalFree(h) == nullptr; }
};

class CWin32NamedLock : public INamedLock {
 public:
  explicit CWin32NamedLock(const std::string& name) { Open("Global\\" + name); }

  bool Take(unsigned timeoutMs, std::string* why) override {
    if (!m_mutex) {
      *why = m_strOpenError;
      return false;
    }
    switch (WaitForSingleObject(m_mutex.Get(), timeoutMs)) {
      case WAIT_OBJECT_0:
      case WAIT_ABANDONED:  // its holder died: what it guarded is whole or untouched, never half
        return true;
      case WAIT_TIMEOUT:
        *why = "等待超时";
        return false;
      default:
        NoteSystemError();
        *why = LastNotedErrorText();
        return false;
    }
  }

  void Give() override {
    // Fails only for a thread that does not own the mutex, which CNamedLockHold never does.
    ReleaseMutex(m_mutex.Get());
  }

 private:
  void Open(const std::string& name) {
    CScopedHandle<LocalMemoryTraits> descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kSharedMutexRights, SDDL_REVISION_1,
                                                              descriptor.Receive(), nullptr)) {
      NoteSystemError();
      m_strOpenError = LastNotedErrorText();
      return;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
    m_mutex.Reset(CreateMutexExA(&attributes, name.c_str(), 0, kUseRights));
    if (!m_mutex) {
      NoteSystemError();
      m_strOpenError = LastNotedErrorText();
    }
  }

  CKernelHandle m_mutex;
  std::string m_strOpenError;
};

}  // namespace

std::unique_ptr<INamedLock> MakeNamedLock(const std::string& name) {
  return std::unique_ptr<INamedLock>(new CWin32NamedLock(name));
}

}  // namespace dorvik
