#include "service/service_health.h"

#include <atomic>
#include <memory>

#include "health/health_monitor.h"
#include "service/nt_service.h"
#include "service/service_clock.h"
#include "service/service_globals.h"
#include "service/service_job_reporter.h"

namespace dorvik {

namespace {

constexpr unsigned kRefreshEveryMs = 60 * 1000;
constexpr unsigned kHealthPollMs = 100;

class CEventLogHealthEvents : public IHealthEvents {
 public:
  void TaskMissed(const TaskHealthRow& row) override {
    Report(EVENTLOG_ERROR_TYPE, EVMSG_TASKMISSED, row);
  }
  void TaskRecovered(const TaskHealthRow& row) override {
    Report(EVENTLOG_INFORMATION_TYPE, EVMSG_TASKRECOVERED, row);
  }
  void HealthWriteFailed(const std::string& error) override {
    ReportServiceJobProblem(EVMSG_HEALTHWRITEFAILED, error.c_str());
  }
  void RecordDamaged(const std::string& path) override {
    if (CNTService* service = CNTService::Instance()) {
      service->ReportServiceEvent(EVENTLOG_WARNING_TYPE, EVMSG_RECORDDAMAGED, path.c_str());
    }
  }

 private:
  static void Report(WORD wType, DWORD dwId, const TaskHealthRow& row) {
    if (CNTService* service = CNTService::Instance()) {
      service->ReportServiceEvent(wType, dwId, row.task.strKind.c_str(), row.task.strKey.c_str(),
                                  row.health.strReason.c_str());
    }
  }
};

CEventLogHealthEvents g_healthEvents;
std::unique_ptr<CHealthMonitor> g_pHealth;  // set before any watcher starts, never reset
std::atomic<bool> g_bRefreshAsked{false};

}  // namespace

std::int64_t ServiceNow() { return ToEpochSeconds(ServiceClock().Now()); }

void StartHealthMonitor(const std::string& document) {
  g_pHealth = std::make_unique<CHealthMonitor>(g_strProgramDir, RealFileSystem(), g_healthEvents);
  g_pHealth->Start(ReadHealthTasks(document), ServiceNow());
}

DWORD WINAPI HealthThreadProc(LPVOID) {
  unsigned nWaitedMs = kRefreshEveryMs;
  while (!g_bStopping) {
    if (nWaitedMs >= kRefreshEveryMs || g_bRefreshAsked.exchange(false)) {
      g_pHealth->Refresh(ServiceNow());
      nWaitedMs = 0;
    }
    Sleep(kHealthPollMs);
    nWaitedMs += kHealthPollMs;
  }
  return 1;
}

void RecordRunStart(const char* kind, const std::string& key) { g_pHealth->RunStarted(kind, key, ServiceNow()); }

void RecordRunEnd(const char* kind, const std::string& key, const RunOutcome& outcome) {
  g_pHealth->RunEnded(kind, key, outcome);
  g_bRefreshAsked = true;
}

void RecordRetentionPass(std::size_t nDeleted) {
  g_pHealth->RetentionPassed(ServiceNow(), static_cast<long long>(nDeleted));
  g_bRefreshAsked = true;
}

}  // namespace dorvik
