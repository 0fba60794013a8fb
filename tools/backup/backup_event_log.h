#pragma once
// Backup.exe's failures in the Application event log, under the service's source "Dorviksvc".
#include <string>

namespace dorvik {

// The event ID of every Backup.exe failure (an error entry with the failure's text).
constexpr unsigned long kBackupFailedEventId = 200;

void ReportBackupFailure(const std::string& text);

}  // namespace dorvik
