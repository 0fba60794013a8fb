#include "health/expected_run.h"

#include "common/clock.h"

namespace dorvik {

namespace {

constexpr int kDaysLookedBack = 8 * 366 + 1;

// Noon is never skipped or doubled by daylight saving, so stepping it back a day at a time
// lands on every calendar day once.
LocalTime NoonOf(const LocalTime& day) {
  LocalTime noon = day;
  noon.hour = 12;
  noon.minute = noon.second = 0;
  return noon;
}

bool HasClockHour(const HourList& hours) {
  for (int i = 0; i < hours.nCount; ++i) {
    if (hours.nSlots[i] >= 0 && hours.nSlots[i] <= 23) return true;
  }
  return false;
}

}  // namespace

Moment LastDueMoment(const DayRule& rule, const HourList& hours, Moment now, Moment notBefore) {
  if (rule.kind == DayRuleKind::Never || !HasClockHour(hours)) return kNoMoment;
  const Moment firstNoon = ToEpochSeconds(NoonOf(FromEpochSeconds(now)));
  for (int back = 0; back < kDaysLookedBack; ++back) {
    const LocalTime day = FromEpochSeconds(firstNoon - static_cast<Moment>(back) * 86400);
    // The day's last moment is before notBefore: every earlier day is too.
    if (firstNoon - static_cast<Moment>(back) * 86400 + 12 * 3600 < notBefore) return kNoMoment;
    if (!rule.IsDue(day)) continue;
    Moment best = kNoMoment;
    for (int i = 0; i < hours.nCount; ++i) {
      const int hour = hours.nSlots[i];
      if (hour < 0 || hour > 23) continue;  // such a slot never matches a clock hour
      LocalTime due = day;
      due.hour = hour;
      due.minute = due.second = 0;
      const Moment moment = ToEpochSeconds(due);
      if (moment <= now && moment >= notBefore && moment > best) best = moment;
    }
    if (best != kNoMoment) return best;
  }
  return kNoMoment;
}

}  // namespace dorvik
