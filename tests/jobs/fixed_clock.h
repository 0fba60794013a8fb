#pragma once
// A clock that stands still at a chosen time; sleeping only counts.
#include "common/clock.h"

namespace dorvik {

class CFixedClock : public IClock {
 public:
  explicit CFixedClock(const LocalTime& now) : m_now(now) {}
  LocalTime Now() override { return m_now; }
  void SleepMs(unsigned ms) override { nSleptMs += ms; }
  void Set(const LocalTime& now) { m_now = now; }
  unsigned long nSleptMs = 0;

 private:
  LocalTime m_now;
};

inline LocalTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
  LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

}  // namespace dorvik
