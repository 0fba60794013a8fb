#include "service/service_clock.h"

#include <ctime>

namespace dorvik {

namespace {

class CSecondCachedClock : public IClock {
 public:
  LocalTime Now() override {
    // Per thread, so the watchers need no lock between them.
    thread_local std::time_t cachedSecond = -1;
    thread_local LocalTime cachedTime;
    const std::time_t now = std::time(nullptr);
    if (now != cachedSecond) {
      cachedTime = FromEpochSeconds(static_cast<std::int64_t>(now));
      cachedSecond = now;
    }
    return cachedTime;
  }
  void SleepMs(unsigned ms) override { SystemClock().SleepMs(ms); }
};

}  // namespace

IClock& ServiceClock() {
  static CSecondCachedClock clock;
  return clock;
}

}  // namespace dorvik
