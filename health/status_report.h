#pragma once
// The status switch's text and exit code, as monitoring plugins report: a summary line with
// performance data, then one line per task.
#include <string>
#include <vector>

#include "health/health_report.h"

namespace dorvik {

// The monitoring-plugin exit codes.
enum StatusExitCode { kStatusOk = 0, kStatusWarning = 1, kStatusCritical = 2, kStatusUnknown = 3 };

// Critical when a task failed or missed its run; warning when every task is ok or pending but
// the service is not running (nothing will run until it is); ok otherwise.
int FormatStatusReport(const std::vector<TaskHealthRow>& rows, bool bServiceRunning, std::string* text);

}  // namespace dorvik
