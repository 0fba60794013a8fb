#pragma once
// A lock that every process of the machine reaches by its name: the service (LocalSystem, in
// session 0), Backup.exe and the console (in a user's session) alike. The Win32 version is a
// named mutex in the global namespace; the POSIX one, for the native build and its tests, is
// shared by the threads of one process only.
#include <memory>
#include <string>

namespace dorvik {

class INamedLock {
 public:
  virtual ~INamedLock() = default;
  // Waits at most timeoutMs. A lock whose holder died holding it counts as taken. False, with
  // the reason in *why, when it could not be taken.
  virtual bool Take(unsigned timeoutMs, std::string* why) = 0;
  // Gives back a lock this thread took.
  virtual void Give() = 0;
};

// The lock of that name, created by whoever comes first; on Windows the name goes into the
// "Global\" namespace and anyone may wait for it and release it.
std::unique_ptr<INamedLock> MakeNamedLock(const std::string& name);

// Holds a lock for one scope, when it could be taken.
class CNamedLockHold {
 public:
  CNamedLockHold(INamedLock& lock, unsigned timeoutMs) : m_lock(lock) {
    m_bHeld = m_lock.Take(timeoutMs, &m_strWhy);
  }
  ~CNamedLockHold() {
    if (m_bHeld) m_lock.Give();
  }
  CNamedLockHold(const CNamedLockHold&) = delete;
  CNamedLockHold& operator=(const CNamedLockHold&) = delete;
  bool Held() const { return m_bHeld; }
  const std::string& Why() const { return m_strWhy; }

 private:
  INamedLock& m_lock;
  bool m_bHeld = false;
  std::string m_strWhy;
};

}  // namespace dorvik
