#include "jobs/log_scan.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "common/clock.h"

namespace dorvik {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar (month 1..12).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  std::int64_t era = FloorDiv(year, 400);
  std::int64_t yearOfEra = year - era * 400;
  std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t* year, int* month, int* day) {
  days += 719468;
  std::int64_t era = FloorDiv(days, 146097);
  std::int64_t dayOfEra = days - era * 146097;
  std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 = March
  *day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  *month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  *year = yearOfEra + era * 400 + (*month <= 2 ? 1 : 0);
}

LogStamp ToLogStamp(std::int64_t year, int month, int day, int hour, int minute, int second) {
  std::int64_t months = static_cast<std::int64_t>(month) - 1;
  year += FloorDiv(months, 12);
  int monthInYear = static_cast<int>(months - FloorDiv(months, 12) * 12) + 1;
  std::int64_t days = DaysFromCivil(year, monthInYear, 1) + day - 1;
  return days * kSecondsPerDay + static_cast<std::int64_t>(hour) * 3600 +
         static_cast<std::int64_t>(minute) * 60 + second;
}

const LogStamp kNoBackupStamp = ToLogStamp(2000, 1, 1, 1, 1, 1);

// White space as the C library's isspace sees it in the "C" locale.
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One "%d" of scanf: white space skipped, an optional sign, then at least one digit. A value that
// does not fit an int does not read.
bool ReadNumber(std::string_view text, std::size_t* pos, int* value) {
  std::size_t i = *pos;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  std::size_t firstDigit = i;
  std::int64_t number = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    number = number * 10 + (text[i] - '0');
    if (number > INT_MAX) return false;
  }
  if (i == firstDigit) return false;
  *value = static_cast<int>(negative ? -number : number);
  *pos = i;
  return true;
}

bool ReadChar(std::string_view text, std::size_t* pos, char expected) {
  if (*pos >= text.size() || text[*pos] != expected) return false;
  ++*pos;
  return true;
}

int TwoDigits(std::string_view text, std::size_t pos) {
  return (text[pos] - '0') * 10 + (text[pos + 1] - '0');
}

// "YYYY-MM-DD HH:MM:SS" with nothing after it that the general reading would take as a digit.
bool HasWrittenLayout(std::string_view t) {
  if (t.size() < 19 || (t.size() > 19 && IsDigit(t[19]))) return false;
  return IsDigit(t[0]) & IsDigit(t[1]) & IsDigit(t[2]) & IsDigit(t[3]) & (t[4] == '-') &
         IsDigit(t[5]) & IsDigit(t[6]) & (t[7] == '-') & IsDigit(t[8]) & IsDigit(t[9]) &
         (t[10] == ' ') & IsDigit(t[11]) & IsDigit(t[12]) & (t[13] == ':') & IsDigit(t[14]) &
         IsDigit(t[15]) & (t[16] == ':') & IsDigit(t[17]) & IsDigit(t[18]);
}

// line.find_first_not_of(' ', pos), eight bytes at a time over the padding of the fixed fields.
std::size_t SkipBlanks(std::string_view line, std::size_t pos) {
  const std::uint64_t kEightBlanks = 0x2020202020202020ULL;
  for (std::uint64_t word = 0; pos < line.size() && line.size() - pos >= 8; pos += 8) {
    std::memcpy(&word, line.data() + pos, 8);
    if (word != kEightBlanks) break;
  }
  return line.find_first_not_of(' ', pos);
}

}  // namespace

bool ParseLogLine(std::string_view line, LogLineFields* fields) {
  const std::size_t npos = std::string_view::npos;
  std::size_t keyBegin = SkipBlanks(line, 0);
  std::size_t keyEnd = line.find(' ', keyBegin);
  std::size_t dateBegin = SkipBlanks(line, keyEnd);
  std::size_t dateEnd = line.find(' ', dateBegin);
  std::size_t clockBegin = SkipBlanks(line, dateEnd);
  if (keyBegin == npos || keyEnd == npos || dateBegin == npos || dateEnd == npos ||
      clockBegin == npos) {
    return false;  // fewer than three pieces
  }
  // The time is read from the second piece up to the end of the third: the blanks between them
  // read as the one blank that would join them, and nothing after the third piece is looked at.
  std::size_t clockEnd = line.find(' ', clockBegin);
  std::string_view text = line.substr(dateBegin, (clockEnd == npos ? line.size() : clockEnd) - dateBegin);
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (HasWrittenLayout(text)) {
    // The layout every writer uses, read directly: millions of lines go this way.
    year = TwoDigits(text, 0) * 100 + TwoDigits(text, 2);
    month = TwoDigits(text, 5);
    day = TwoDigits(text, 8);
    hour = TwoDigits(text, 11);
    minute = TwoDigits(text, 14);
    second = TwoDigits(text, 17);
  } else {
    std::size_t pos = 0;
    if (!ReadNumber(text, &pos, &year) || !ReadChar(text, &pos, '-') ||
        !ReadNumber(text, &pos, &month) || !ReadChar(text, &pos, '-') ||
        !ReadNumber(text, &pos, &day) || !ReadNumber(text, &pos, &hour) ||
        !ReadChar(text, &pos, ':') || !ReadNumber(text, &pos, &minute) ||
        !ReadChar(text, &pos, ':') || !ReadNumber(text, &pos, &second)) {
      return false;
    }
  }
  // A damaged line must not count as a backup, least of all one in the future.
  if (!IsValidLocalTime(LocalTime{year, month, day, hour, minute, second})) return false;
  fields->key = line.substr(keyBegin, keyEnd - keyBegin);
  fields->when = ToLogStamp(year, month, day, hour, minute, second);
  fields->restBegin = clockEnd == npos ? line.size() : clockEnd;
  return true;
}

void CLogKeyTimes::Clear() {
  if (m_nUsed == 0) return;
  for (Slot& slot : m_slots) slot = Slot();
  m_nUsed = 0;
}

std::size_t CLogKeyTimes::Find(std::string_view key) const {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (char c : key) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = hash & mask;
  while (m_slots[i].bUsed && m_slots[i].key != key) i = (i + 1) & mask;
  return i;
}

void CLogKeyTimes::Raise(std::string_view key, LogStamp when) {
  Slot& slot = m_slots[Find(key)];
  if (slot.bUsed) {
    if (when > slot.when) slot.when = when;
    return;
  }
  slot.key = key;
  slot.when = when;
  slot.bUsed = true;
  if (++m_nUsed * 2 <= m_slots.size()) return;
  std::vector<Slot> old(m_slots.size() * 2);
  old.swap(m_slots);
  for (const Slot& moved : old) {
    if (moved.bUsed) m_slots[Find(moved.key)] = moved;
  }
}

void ScanLogContent(std::string_view content, CLogKeyTimes* latest) {
  ForEachLogLine(content, [&](std::size_t begin, std::size_t end, std::size_t) {
    LogLineFields fields;
    if (ParseLogLine(content.substr(begin, end - begin), &fields) && fields.when > kNoBackupStamp)
      latest->Raise(fields.key, fields.when);
  });
}

namespace {

std::string_view TrimLeadingBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

}  // namespace

std::string_view LogLineRest(std::string_view line, const LogLineFields& fields) {
  return TrimLeadingBlanks(line.substr(fields.restBegin));
}

void SplitFileLineRest(std::string_view rest, std::string_view* source, std::string_view* output) {
  const std::size_t pair = rest.find("  ");
  *source = pair == std::string_view::npos ? std::string_view() : rest.substr(0, pair);
  *output = TrimLeadingBlanks(rest.substr(source->size()));
}

std::string FormatLogStamp(LogStamp when) {
  std::int64_t days = FloorDiv(when, kSecondsPerDay);
  std::int64_t seconds = when - days * kSecondsPerDay;
  std::int64_t year = 0;
  int month = 0, day = 0;
  CivilFromDays(days, &year, &month, &day);
  char text[64];
  std::snprintf(text, sizeof text, "%lld-%02d-%02d %02d:%02d:%02d", static_cast<long long>(year),
                month, day, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

}  // namespace dorvik
