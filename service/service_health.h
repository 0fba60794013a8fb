#pragma once
// The running service's health monitor (health/health_monitor.h) and the thread that refreshes
// it: once a minute, and soon after every run and retention pass.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/win32.h"
#include "health/health_monitor.h"

namespace dorvik {

// Reads the records; before any watcher starts a run.
void StartHealthMonitor(const std::string& document);
// The health thread's routine, started once the monitor is: it refreshes until the stop.
DWORD WINAPI HealthThreadProc(LPVOID);

// A run the service starts: from the moment it is due (queued behind another SQL Server task
// counts) until it ends.
void RecordRunStart(const char* kind, const std::string& key);
void RecordRunEnd(const char* kind, const std::string& key, const RunOutcome& outcome);
void RecordRetentionPass(std::size_t nDeleted);

// Now, as the watchers see it, in seconds since the epoch.
std::int64_t ServiceNow();

}  // namespace dorvik
