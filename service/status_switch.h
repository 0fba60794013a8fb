#pragma once
// Dorviksvc.exe "-s" (or "/s", any case): every task's health on standard output, for scripts
// and monitoring agents, with the monitoring-plugin exit codes. Needs no running service.
#include <string>

namespace dorvik {

bool IsStatusSwitch(int argc, char** argv);

// Prints the report and returns the exit code: 3 when config.db is missing or unreadable.
int RunStatusSwitch(const std::string& programDir, const char* serviceName);

}  // namespace dorvik
