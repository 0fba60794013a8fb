#pragma once
// The lock and condition the pipeline's threads meet on. On Windows these are the system's slim
// reader/writer lock and condition variable: the C++ library's own (winpthreads) wait on events
// and semaphores, and under Wine every wait and every wake on those is a round trip to the
// server, thousands of them per archive; the slim ones stay inside the process.
#include <mutex>

#ifdef _WIN32
#include "common/win32.h"
#else
#include <condition_variable>
#endif

namespace dorvik {
namespace rar {

#ifdef _WIN32

class CSlimMutex {
 public:
  CSlimMutex() = default;
  CSlimMutex(const CSlimMutex&) = delete;
  CSlimMutex& operator=(const CSlimMutex&) = delete;
  void lock() { AcquireSRWLockExclusive(&m_lock); }
  void unlock() { ReleaseSRWLockExclusive(&m_lock); }

 private:
  friend class CSlimCondition;
  SRWLOCK m_lock = SRWLOCK_INIT;
};

class CSlimCondition {
 public:
  CSlimCondition() = default;
  CSlimCondition(const CSlimCondition&) = delete;
  CSlimCondition& operator=(const CSlimCondition&) = delete;
  void notify_one() { WakeConditionVariable(&m_condition); }
  void notify_all() { WakeAllConditionVariable(&m_condition); }
  template <class Predicate>
  void wait(std::unique_lock<CSlimMutex>& lock, Predicate ready) {
    // An infinite wait returns only when woken (or spuriously): the predicate decides.
    while (!ready()) SleepConditionVariableSRW(&m_condition, &lock.mutex()->m_lock, INFINITE, 0);
  }

 private:
  CONDITION_VARIABLE m_condition = CONDITION_VARIABLE_INIT;
};

#else

using CSlimMutex = std::mutex;
using CSlimCondition = std::condition_variable;

#endif

}  // namespace rar
}  // namespace dorvik
