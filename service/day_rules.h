#pragma once
// Day rules of the two task kinds ("每天", "每周3", "每月1,15号", "3月15号", "指定日期3月15号"),
// read once into a DayRule so that the watchers' frequent checks are a few integer compares.
#include <cstdint>
#include <string>

#include "common/clock.h"

namespace dorvik {

enum class DayRuleKind { Never, EveryDay, Weekday, MonthDays, Yearly };

struct DayRule {
  DayRuleKind kind = DayRuleKind::Never;
  int nWeekday = -1;               // Weekday: 0 = Sunday .. 6 = Saturday
  std::uint32_t nMonthDays = 0;    // MonthDays: bit d set when day d (1..31) is listed
  int nMonth = 0, nDay = 0;        // Yearly
  bool IsDue(const LocalTime& today) const;
};

// File tasks: a yearly date is written "M月D号".
DayRule ParseFileDayRule(const std::string& rule);
// SQL Server tasks: a yearly date needs "指定" and is written "指定日期M月D号".
DayRule ParseSqlDayRule(const std::string& rule);

}  // namespace dorvik
