#include "console/core/service_control.h"

namespace dorvik {

int ControlServiceByName(IServiceManager& manager, const std::string& serviceName, bool bStart,
                         const std::string& programPath, bool bInstall) {
  if (manager.QueryStopped(serviceName) == ServiceQuery::Failed && bInstall) {
    manager.InstallServiceProgram(programPath);
  }
  if (bStart) {
    manager.RequestStart(serviceName);
  } else {
    manager.RequestStop(serviceName);
  }
  return 1;
}

int RestartServiceByName(IServiceManager& manager, IClock& clock, const std::string& serviceName,
                         const std::string& programPath, bool bInstall) {
  manager.RequestStop(serviceName);
  for (unsigned waitedMs = 0;; waitedMs += kStopPollMs) {
    ServiceQuery state = manager.QueryStopped(serviceName);
    if (state == ServiceQuery::Failed) {
      if (bInstall) manager.InstallServiceProgram(programPath);
      break;
    }
    if (state == ServiceQuery::Stopped || waitedMs >= kStopWaitLimitMs) break;
    clock.SleepMs(kStopPollMs);
  }
  clock.SleepMs(kPauseBeforeStartMs);
  manager.RequestStart(serviceName);
  return 1;
}

}  // namespace dorvik
