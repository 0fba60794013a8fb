#pragma once
// A clock for schedule tests: time moves only when the code under test sleeps, so days of
// polling run in a fraction of a second. Calendar arithmetic of its own (no time zone, no
// daylight saving) keeps each reading cheap. When time reaches the end set by the test, the
// stop flag the watchers poll is raised.
#include <atomic>
#include <cstdint>

#include "common/clock.h"

namespace dorvik {

class CSimulatedClock : public IClock {
 public:
  CSimulatedClock(int year, int month, int day, int hour, int minute, int second)
      : m_nMs(ToMs(year, month, day, hour, minute, second)) {}

  void StopAt(int year, int month, int day, int hour, int minute, int second) {
    m_nStopMs = ToMs(year, month, day, hour, minute, second);
  }
  std::atomic<bool> bStop{false};

  LocalTime Now() override { return FromMs(m_nMs); }
  void SleepMs(unsigned ms) override { Advance(ms); }
  void Advance(std::int64_t ms) {
    m_nMs += ms;
    if (m_nStopMs >= 0 && m_nMs >= m_nStopMs) bStop = true;
  }

 private:
  static std::int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
  }
  static std::int64_t ToMs(int year, int month, int day, int hour, int minute, int second) {
    return ((DaysFromCivil(year, month, day) * 24 + hour) * 3600 + minute * 60 + second) * 1000;
  }
  static LocalTime FromMs(std::int64_t ms) {
    std::int64_t seconds = ms / 1000;
    std::int64_t z = seconds / 86400;
    const int secondOfDay = static_cast<int>(seconds % 86400);
    LocalTime t;
    t.weekday = static_cast<int>((z + 4) % 7);  // 1970-01-01 was a Thursday
    z += 719468;
    const std::int64_t era = z / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    t.hour = secondOfDay / 3600;
    t.minute = secondOfDay / 60 % 60;
    t.second = secondOfDay % 60;
    return t;
  }

  std::int64_t m_nMs;
  std::int64_t m_nStopMs = -1;
};

}  // namespace dorvik
