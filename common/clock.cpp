#include "common/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace dorvik {

namespace {

std::tm ToTm(const LocalTime& t) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_wday = t.weekday;
  tm.tm_isdst = -1;
  return tm;
}

LocalTime FromTm(const std::tm& tm) {
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.weekday = tm.tm_wday;
  return t;
}

class SystemClockImpl : public IClock {
 public:
  LocalTime Now() override {
    return FromEpochSeconds(static_cast<std::int64_t>(std::time(nullptr)));
  }
  void SleepMs(unsigned ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

IClock& SystemClock() {
  static SystemClockImpl clock;
  return clock;
}

std::string FormatLocalTime(const LocalTime& t, const char* format) {
  std::tm tm = ToTm(t);
  char buffer[128];
  std::size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
  return std::string(buffer, n);
}

std::string DateFolderName(const LocalTime& t) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%d-%d-%d", t.year, t.month, t.day);
  return buffer;
}

std::int64_t ToEpochSeconds(const LocalTime& t) {
  std::tm tm = ToTm(t);
  return static_cast<std::int64_t>(std::mktime(&tm));
}

LocalTime FromEpochSeconds(std::int64_t seconds) {
  std::time_t time = static_cast<std::time_t>(seconds);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &time);
#else
  localtime_r(&time, &tm);
#endif
  return FromTm(tm);
}

}  // namespace dorvik
