#pragma once
// The hours of a task and the watcher loop that starts its work at minute 0 of each listed hour,
// at most once per hour, reading time through IClock (a simulated clock runs days quickly).
#include <atomic>
#include <functional>
#include <string>

#include "common/clock.h"
#include "service/day_rules.h"

namespace dorvik {

// Up to 24 listed hours, in the order typed; 24 is stored as 0; a piece without digits is 0.
struct HourList {
  int nSlots[24];
  int nCount = 0;
  int nLatest = -1;  // the largest listed hour; -1 when none is listed (the task never runs)
  bool Contains(int hour) const;
};

HourList ParseHourList(const std::string& text);

// Polling intervals: file watchers poll every 100 ms, SQL Server watchers every 10 ms; waiting
// out an hour that was handled always polls every 100 ms.
constexpr unsigned kFileWatchPollMs = 100;
constexpr unsigned kSqlWatchPollMs = 10;
constexpr unsigned kHandledHourPollMs = 100;

// One day's hour pass: calls startWork at minute 0 of every listed hour, then waits out that
// hour. Returns after the latest listed hour, when the day changes, or when bStop is set.
void RunTaskHours(const HourList& hours, IClock& clock, unsigned pollMs,
                  const std::atomic<bool>& bStop, const std::function<void()>& startWork);

// The watcher: on each day the rule accepts, runs the hour pass; polls every pollMs until bStop.
void WatchTaskSchedule(const DayRule& rule, const HourList& hours, IClock& clock, unsigned pollMs,
                       const std::atomic<bool>& bStop, const std::function<void()>& startWork);

}  // namespace dorvik
