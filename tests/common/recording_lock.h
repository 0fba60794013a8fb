#pragma once
// An INamedLock for unit tests: writes "take" and "give" into a shared event list, so a test
// sees what happened while the lock was held; it can refuse to be taken.
#include <functional>
#include <string>
#include <vector>

#include "common/named_lock.h"

namespace dorvik {

class CRecordingLock : public INamedLock {
 public:
  explicit CRecordingLock(std::vector<std::string>& events) : m_events(events) {}
  bool Take(unsigned, std::string* why) override {
    if (onTake) onTake();
    if (bRefuse) {
      *why = "refused";
      return false;
    }
    m_events.push_back("take");
    return true;
  }
  void Give() override { m_events.push_back("give"); }

  bool bRefuse = false;
  std::function<void()> onTake;  // runs before the lock is taken: another writer's last moment

 private:
  std::vector<std::string>& m_events;
};

}  // namespace dorvik
