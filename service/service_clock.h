#pragma once
// The clock the service's watchers poll thousands of times a second. The local time changes only
// once a second, so each thread converts a new second once and reuses it until the next one;
// a poll costs one read of the system time and one plain sleep.
#include "common/clock.h"

namespace dorvik {

IClock& ServiceClock();

}  // namespace dorvik
