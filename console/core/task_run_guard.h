#pragma once
// One run per task at a time, whichever way it is started (button, row menu): two runs of one
// task would race for the same output name and status. Interface thread only: a run begins
// where the user starts it and ends when its end message arrives.
#include <set>
#include <string>

namespace dorvik {

// Shown when a run of the chosen task is still going.
constexpr const char* kTaskRunGoing = "该任务正在备份中，请等本次备份结束后再试";

class CTaskRunGuard {
 public:
  // False when a run of the task is going.
  bool TryBegin(const std::string& key) { return m_running.insert(key).second; }
  void End(const std::string& key) { m_running.erase(key); }

 private:
  std::set<std::string> m_running;
};

}  // namespace dorvik
