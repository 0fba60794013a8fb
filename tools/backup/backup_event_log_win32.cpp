#include "common/win32.h"

#include "tools/backup/backup_event_log.h"

namespace dorvik {

void ReportBackupFailure(const std::string& text) {
  HANDLE source = RegisterEventSourceA(nullptr, "Dorviksvc");
  // Without an event source the failure stays in the exit code alone; there is nowhere else.
  if (source == nullptr) return;
  const char* strings[] = {text.c_str()};
  ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, kBackupFailedEventId, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
}

}  // namespace dorvik
