#pragma once
// Local time, read through an interface so schedules and retention run on a simulated clock
// in tests. Sleeping goes through the clock too: a simulated clock moves on instead of waiting.
#include <cstdint>
#include <string>

namespace dorvik {

struct LocalTime {
  int year = 2000, month = 1, day = 1;  // month 1..12, day 1..31
  int hour = 0, minute = 0, second = 0;
  int weekday = 6;                      // 0 = Sunday .. 6 = Saturday
};

class IClock {
 public:
  virtual ~IClock() = default;
  virtual LocalTime Now() = 0;
  virtual void SleepMs(unsigned ms) = 0;
};

// The machine's local clock and real sleeps.
IClock& SystemClock();

// strftime over a LocalTime ("%Y%m%d%H%M%S", "%Y-%m-%d %H:%M:%S", "%Y_%m_%d.log" ...).
std::string FormatLocalTime(const LocalTime& t, const char* format);
// "%d-%d-%d": year, month and day without leading zeros, the name of a dated folder.
std::string DateFolderName(const LocalTime& t);

// Whether the fields name a real moment this system can convert: year 1970..2999 (the Windows
// C runtime converts nothing later), a month's real days, hours 0..23, minutes and seconds 0..59.
bool IsValidLocalTime(const LocalTime& t);
// Reads "%d-%d-%d" (a dated folder's name): digits only, no signs, nothing before or after, a
// valid date. False for anything else, so a damaged name never becomes a date.
bool ParseDateText(const std::string& text, LocalTime* date);

// Seconds since the epoch of a local time (daylight saving decided by the system), and back.
std::int64_t ToEpochSeconds(const LocalTime& t);
LocalTime FromEpochSeconds(std::int64_t seconds);

}  // namespace dorvik
