#include "service/hour_pass.h"

#include "common/text.h"

namespace dorvik {

namespace {

bool SameDay(const LocalTime& a, const LocalTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace

bool HourList::Contains(int hour) const {
  for (int i = 0; i < nCount; ++i) {
    if (nSlots[i] == hour) return true;
  }
  return false;
}

HourList ParseHourList(const std::string& text) {
  HourList hours;
  for (int& slot : hours.nSlots) slot = -1;
  // Only 24 hours can be listed: pieces after the 24th are ignored.
  for (const std::string& piece : SplitNonEmpty(text, ',')) {
    if (hours.nCount == 24) break;
    long long hour = LeadingNumber(piece);
    if (hour == 24) hour = 0;
    if (hour < -1 || hour > 1000) hour = -1;  // can never match; keeps the value an int
    hours.nSlots[hours.nCount++] = static_cast<int>(hour);
    if (hour > hours.nLatest) hours.nLatest = static_cast<int>(hour);
  }
  return hours;
}

void RunTaskHours(const HourList& hours, IClock& clock, unsigned pollMs,
                  const std::atomic<bool>& bStop, const std::function<void()>& startWork) {
  LocalTime last = clock.Now();
  const LocalTime passDay = last;
  if (last.hour > hours.nLatest) return;
  int handledHour = 0;
  while (!bStop.load(std::memory_order_relaxed)) {
    if (last.minute == 0) {
      handledHour = last.hour;
      if (hours.Contains(last.hour)) startWork();
    }
    // Waiting out the handled hour is what keeps a second start out of it.
    last = clock.Now();
    while (last.hour == handledHour && !bStop.load(std::memory_order_relaxed)) {
      last = clock.Now();
      clock.SleepMs(kHandledHourPollMs);
    }
    clock.SleepMs(pollMs);
    if (last.hour > hours.nLatest || !SameDay(last, passDay)) return;
  }
}

void WatchTaskSchedule(const DayRule& rule, const HourList& hours, IClock& clock, unsigned pollMs,
                       const std::atomic<bool>& bStop, const std::function<void()>& startWork) {
  while (!bStop.load(std::memory_order_relaxed)) {
    if (rule.IsDue(clock.Now())) RunTaskHours(hours, clock, pollMs, bStop, startWork);
    clock.SleepMs(pollMs);
  }
}

}  // namespace dorvik
