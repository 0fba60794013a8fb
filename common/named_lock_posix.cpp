#include "common/named_lock.h"

#include <chrono>
#include <map>
#include <mutex>

namespace dorvik {

namespace {

// One mutex per name for the whole process, like the named mutex the Windows tree shares
// between processes.
std::recursive_timed_mutex& MutexNamed(const std::string& name) {
  static std::mutex s_guard;
  static std::map<std::string, std::recursive_timed_mutex> s_mutexes;
  std::lock_guard<std::mutex> hold(s_guard);
  return s_mutexes[name];
}

class CProcessNamedLock : public INamedLock {
 public:
  explicit CProcessNamedLock(const std::string& name) : m_mutex(MutexNamed(name)) {}

  bool Take(unsigned timeoutMs, std::string* why) override {
    if (m_mutex.try_lock_for(std::chrono::milliseconds(timeoutMs))) return true;
    *why = "等待超时";
    return false;
  }

  void Give() override { m_mutex.unlock(); }

 private:
  std::recursive_timed_mutex& m_mutex;
};

}  // namespace

std::unique_ptr<INamedLock> MakeNamedLock(const std::string& name) {
  return std::unique_ptr<INamedLock>(new CProcessNamedLock(name));
}

}  // namespace dorvik
