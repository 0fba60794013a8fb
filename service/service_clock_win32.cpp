#include "service/service_clock.h"

#include <cstdint>

#include "common/win32.h"

namespace dorvik {

namespace {

// FILETIME counts 100 ns steps from 1601; the epoch conversion takes seconds from 1970.
constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

class CSecondCachedClock : public IClock {
 public:
  LocalTime Now() override {
    // GetSystemTimeAsFileTime reads shared memory; the C library's time() goes through the
    // time zone each call, and the local time changes only once a second anyway. Per thread,
    // so the watchers need no lock between them.
    thread_local std::uint64_t cachedSecond = ~std::uint64_t(0);
    thread_local LocalTime cachedTime;
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const std::uint64_t second =
        ((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) /
        kTicksPerSecond;
    if (second != cachedSecond) {
      cachedTime = FromEpochSeconds(static_cast<std::int64_t>(second) - kSecondsFrom1601To1970);
      cachedSecond = second;
    }
    return cachedTime;
  }
  // Sleep itself: std::this_thread::sleep_for waits on an event under winpthreads, which costs
  // a round trip to Wine's server on every poll of every watcher.
  void SleepMs(unsigned ms) override { Sleep(ms); }
};

}  // namespace

IClock& ServiceClock() {
  static CSecondCachedClock clock;
  return clock;
}

}  // namespace dorvik
