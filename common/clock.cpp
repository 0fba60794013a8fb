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

class CSystemClockImpl : public IClock {
 public:
  LocalTime Now() override {
    return FromEpochSeconds(static_cast<std::int64_t>(std::time(nullptr)));
  }
  void SleepMs(unsigned ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

IClock& SystemClock() {
  static CSystemClockImpl clock;
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

namespace {

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

// Up to six digits (no sign), so the value can never overflow; false without a digit.
bool ReadField(const std::string& text, std::string::size_type* pos, int* value) {
  const std::string::size_type start = *pos;
  int number = 0;
  while (*pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9' && *pos - start < 6) {
    number = number * 10 + (text[*pos] - '0');
    ++*pos;
  }
  *value = number;
  return *pos > start;
}

bool ReadFieldThen(const std::string& text, std::string::size_type* pos, int* value, char next) {
  return ReadField(text, pos, value) && *pos < text.size() && text[(*pos)++] == next;
}

}  // namespace

bool IsValidLocalTime(const LocalTime& t) {
  if (t.year < 1970 || t.year > 2999 || t.month < 1 || t.month > 12) return false;
  if (t.day < 1 || t.day > DaysInMonth(t.year, t.month)) return false;
  return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
         t.second <= 59;
}

bool ParseDateText(const std::string& text, LocalTime* date) {
  LocalTime read;
  read.hour = read.minute = read.second = 0;
  std::string::size_type pos = 0;
  if (!ReadFieldThen(text, &pos, &read.year, '-') || !ReadFieldThen(text, &pos, &read.month, '-') ||
      !ReadField(text, &pos, &read.day) || pos != text.size() || !IsValidLocalTime(read)) {
    return false;
  }
  *date = read;
  return true;
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
