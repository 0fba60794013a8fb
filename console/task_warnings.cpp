#include "console/task_warnings.h"

#include "common/clock.h"
#include "common/file_system.h"
#include "console/last_backup_times.h"

namespace dorvik {

TaskWarnings WarningsOfKind(const std::vector<TaskHealthRow>& rows, const std::string& kind) {
  TaskWarnings warnings;
  for (const TaskHealthRow& row : rows) {
    const HealthState state = row.health.state;
    if (row.task.strKind != kind || !row.task.bEnabled) continue;
    if (state != HealthState::Failed && state != HealthState::Missed) continue;
    warnings[row.task.strKey] = MenuItemText(row.health.strReason);
  }
  return warnings;
}

std::string MenuItemText(const std::string& text) {
  std::string item;
  for (char c : text) {
    if (c == '&') {
      item += "&&";
    } else if (c == '\t' || c == '\r' || c == '\n') {
      item += ' ';
    } else {
      item += c;
    }
  }
  return item;
}

std::vector<TaskHealthRow> LoadTaskHealth(const std::string& document, const std::string& programDir,
                                          bool bServiceRunning) {
  const StoredRecords records = ReadStoredRecords(RealFileSystem(), programDir);
  return AssessTasks(ReadHealthTasks(document), LoadLastBackupTimes(programDir), records,
                     bServiceRunning ? records.service.serviceStart : kNoMoment,
                     ToEpochSeconds(SystemClock().Now()));
}

}  // namespace dorvik
