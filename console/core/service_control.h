#pragma once
// Starting, stopping and restarting the background service from the console.
#include <string>

#include "common/clock.h"
#include "console/core/service_manager.h"

namespace dorvik {

// Names as the console passes them; the manager ignores the case of service names.
constexpr const char* kStopSwitchServiceName = "Dorviksvc";
constexpr const char* kRestartServiceName = "dorviksvc";
constexpr const char* kInstallProgramName = "dorviksvc.exe ";     // at every console start
constexpr const char* kExitRestartProgramName = "dorviksvc.exe";  // when the console exits
constexpr const char* kBackgroundRestartProgramName = "Dorviksvc.exe";

// How long a restart waits for the stopped state before it starts the service anyway. A service
// that hangs in its stop must not keep the console (or its hidden exit) alive forever; 30 s is
// far beyond the second the service needs to stop.
constexpr unsigned kStopWaitLimitMs = 30000;
constexpr unsigned kStopPollMs = 100;
constexpr unsigned kPauseBeforeStartMs = 500;

// Starts (bStart) or stops the service; when it cannot be queried and bInstall is set, the
// service program is installed first. Returns 1.
int ControlServiceByName(IServiceManager& manager, const std::string& serviceName, bool bStart,
                         const std::string& programPath, bool bInstall);

// Stops the service, waits for the stopped state (polling, at most kStopWaitLimitMs; a failed
// query installs the program when bInstall is set and ends the wait), pauses, starts it. Returns 1.
int RestartServiceByName(IServiceManager& manager, IClock& clock, const std::string& serviceName,
                         const std::string& programPath, bool bInstall);

}  // namespace dorvik
