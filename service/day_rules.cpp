#include "service/day_rules.h"

#include "common/gbk.h"
#include "common/text.h"
#include "config/document.h"

namespace dorvik {

namespace {

DayRule WeekdayRule(const std::string& rule) {
  // The weekday is the number at the end of the text: reading the reversed text's leading
  // number gives it (so "每周12" reads 21 and is never due).
  DayRule result;
  long long n = LeadingNumber(ReverseChars(rule));
  if (n == 7) n = 0;
  if (n >= 0 && n <= 6) {
    result.kind = DayRuleKind::Weekday;
    result.nWeekday = static_cast<int>(n);
  }
  return result;
}

DayRule MonthDaysRule(const std::string& rule) {
  // A day counts when it stands in the day text as a whole number without leading zeros.
  DayRule result;
  result.kind = DayRuleKind::MonthDays;
  const std::string days = GetTagValue(rule, "月", "号");
  std::string::size_type i = 0;
  while (i < days.size()) {
    if (days[i] < '0' || days[i] > '9') {
      ++i;
      continue;
    }
    std::string::size_type end = i;
    while (end < days.size() && days[end] >= '0' && days[end] <= '9') ++end;
    const std::string digits = days.substr(i, end - i);
    if (digits[0] != '0' && digits.size() <= 2) {
      long long day = LeadingNumber(digits);
      if (day >= 1 && day <= 31) result.nMonthDays |= 1u << day;
    }
    i = end;
  }
  return result;
}

DayRule YearlyRule(long long month, long long day) {
  DayRule result;
  if (month >= 1 && month <= 12 && day >= 1 && day <= 31) {
    result.kind = DayRuleKind::Yearly;
    result.nMonth = static_cast<int>(month);
    result.nDay = static_cast<int>(day);
  }
  return result;
}

// The rows both task kinds share, in their order; false when none applies.
bool ParseCommonRule(const std::string& rule, DayRule* result) {
  if (rule == "每天") {
    result->kind = DayRuleKind::EveryDay;
    return true;
  }
  if (Contains(rule, "每周")) {
    *result = WeekdayRule(rule);
    return true;
  }
  if (Contains(rule, "每月")) {
    *result = MonthDaysRule(rule);
    return true;
  }
  return false;
}

}  // namespace

bool DayRule::IsDue(const LocalTime& today) const {
  switch (kind) {
    case DayRuleKind::EveryDay:
      return true;
    case DayRuleKind::Weekday:
      return today.weekday == nWeekday;
    case DayRuleKind::MonthDays:
      return today.day >= 1 && today.day <= 31 && (nMonthDays & (1u << today.day)) != 0;
    case DayRuleKind::Yearly:
      return today.month == nMonth && today.day == nDay;
    case DayRuleKind::Never:
      break;
  }
  return false;
}

DayRule ParseFileDayRule(const std::string& rule) {
  DayRule result;
  if (ParseCommonRule(rule, &result)) return result;
  long long month = LeadingNumber(rule);
  if (month != 0) return YearlyRule(month, LeadingNumber(GetTagValue(rule, "月", "号")));
  return result;
}

DayRule ParseSqlDayRule(const std::string& rule) {
  DayRule result;
  if (ParseCommonRule(rule, &result)) return result;
  if (Contains(rule, "指定")) {
    return YearlyRule(LeadingNumber(GetTagValue(rule, "期", "月")),
                      LeadingNumber(GetTagValue(rule, "月", "号")));
  }
  return result;
}

}  // namespace dorvik
