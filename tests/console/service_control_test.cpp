#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/core/service_control.h"
#include "tests/jobs/fixed_clock.h"

using namespace dorvik;

namespace {

// Answers status queries from a script (the last answer repeats) and records every call.
class CScriptedServiceManager : public IServiceManager {
 public:
  std::vector<ServiceQuery> answers;
  std::vector<std::string> calls;

  ServiceQuery QueryStopped(const std::string& name) override {
    calls.push_back("query " + name);
    ServiceQuery answer = answers.at(std::min(m_nQueries, answers.size() - 1));
    ++m_nQueries;
    return answer;
  }
  void RequestStart(const std::string& name) override { calls.push_back("start " + name); }
  void RequestStop(const std::string& name) override { calls.push_back("stop " + name); }
  void InstallServiceProgram(const std::string& path) override {
    calls.push_back("install " + path);
  }

 private:
  std::size_t m_nQueries = 0;
};

using Q = ServiceQuery;

}  // namespace

TEST(ServiceControl, RestartWaitsForTheStopWithinItsLimit) {
  struct Case {
    std::vector<Q> answers;
    bool bInstall;
    std::size_t nQueries;
    bool bInstalled;
    unsigned long nSleptMs;
    const char* why;
  } cases[] = {
      {{Q::Stopped}, true, 1, false, 500, "already stopped: started without waiting"},
      {{Q::NotStopped, Q::NotStopped, Q::Stopped},
       true,
       3,
       false,
       2 * 100 + 500,
       "stops after two polls"},
      {{Q::Failed}, true, 1, true, 500, "not registered: installed, then started"},
      {{Q::Failed}, false, 1, false, 500, "not registered, no install asked"},
      {{Q::NotStopped},
       true,
       301,
       false,
       30000 + 500,
       "never stops: gives up after 30 s and starts"},
  };
  for (const Case& c : cases) {
    CScriptedServiceManager manager;
    manager.answers = c.answers;
    CFixedClock clock(MakeLocalTime(2024, 5, 1, 8, 0, 0));
    EXPECT_EQ(RestartServiceByName(manager, clock, "dorviksvc", "C:\\p\\Dorviksvc.exe", c.bInstall),
              1);
    std::vector<std::string> expected = {"stop dorviksvc"};
    for (std::size_t i = 0; i < c.nQueries; ++i) expected.push_back("query dorviksvc");
    if (c.bInstalled) expected.push_back("install C:\\p\\Dorviksvc.exe");
    expected.push_back("start dorviksvc");
    EXPECT_EQ(manager.calls, expected) << c.why;
    EXPECT_EQ(clock.nSleptMs, c.nSleptMs) << c.why;
  }
}

TEST(ServiceControl, ControlStartsOrStopsAndInstallsOnlyWhenAsked) {
  struct Case {
    Q answer;
    bool bStart;
    bool bInstall;
    std::vector<std::string> calls;
    const char* why;
  } cases[] = {
      {Q::NotStopped, false, false, {"query Dorviksvc", "stop Dorviksvc"}, "the /stopsvc switch"},
      {Q::Failed, false, false, {"query Dorviksvc", "stop Dorviksvc"}, "unregistered, no install"},
      {Q::Failed,
       true,
       true,
       {"query Dorviksvc", "install p.exe", "start Dorviksvc"},
       "install then start"},
      {Q::Stopped, true, true, {"query Dorviksvc", "start Dorviksvc"}, "registered: no install"},
  };
  for (const Case& c : cases) {
    CScriptedServiceManager manager;
    manager.answers = {c.answer};
    EXPECT_EQ(ControlServiceByName(manager, "Dorviksvc", c.bStart, "p.exe", c.bInstall), 1);
    EXPECT_EQ(manager.calls, c.calls) << c.why;
  }
}
