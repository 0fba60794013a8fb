#pragma once
// The clock the service's watchers poll thousands of times a second. The local time changes only
// once a second, so each thread converts a new second once and reuses it until the next one;
// sleeping is the system clock's.
#include "common/clock.h"

namespace dorvik {

IClock& ServiceClock();

}  // namespace dorvik
