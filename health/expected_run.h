#pragma once
// When a task was last due: the moments its watcher would have started it (minute 0 of a listed
// hour on a day its rule accepts), worked out from the same DayRule and HourList the watchers use.
#include <cstdint>

#include "service/day_rules.h"
#include "service/hour_pass.h"

namespace dorvik {

// Seconds since the epoch; kNoMoment when there is none.
using Moment = std::int64_t;
constexpr Moment kNoMoment = INT64_MIN;

// The latest due moment at or before `now` and not before `notBefore`; kNoMoment when there is
// none. Looks back at most eight years, so a 29 February task is still found.
Moment LastDueMoment(const DayRule& rule, const HourList& hours, Moment now, Moment notBefore);

}  // namespace dorvik
