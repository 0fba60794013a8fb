#pragma once
// Every task's health from what lies beside the programs: config.db's task lists, the backup
// log and the service's records. The service, the status switch and the console all judge
// through AssessTasks, so they never disagree.
#include <string>
#include <vector>

#include "common/file_system.h"
#include "health/record_store.h"
#include "health/task_health.h"
#include "jobs/backup_log.h"

namespace dorvik {

struct HealthTask {
  std::string strKind;     // "file" or "sql"
  std::string strKey;      // m_strID or projectname: the log's key
  std::string strSource;   // SouPath, or the databases of a SQL Server task (sqlname)
  std::string strSchedule; // day rule and hours as stored, to notice a change
  DayRule dayRule;
  HourList hours;
  bool bEnabled = false;
};

// File tasks, then SQL Server tasks, each in document order.
std::vector<HealthTask> ReadHealthTasks(const std::string& document);

struct TaskHealthRow {
  HealthTask task;
  TaskHealthFacts facts;
  TaskHealth health;          // judged for enabled tasks only
  Moment lastStart = kNoMoment, lastEnd = kNoMoment;  // the last recorded run
  std::uint64_t nOutputBytes = 0;
};

// liveService: the start moment of the service that runs now (its running marks count), or
// kNoMoment when none runs. A task without a record of its present schedule is judged from when
// records began: the service records a task the first time it watches it.
std::vector<TaskHealthRow> AssessTasks(const std::vector<HealthTask>& tasks, const LastBackupTimes& log,
                                       const StoredRecords& records, Moment liveService, Moment now);

// The entry point for readers outside the service (the status switch, the console): reads the
// records once, and the log once unless the caller has its last backup times (the console keeps
// them cached). bServiceRunning says whether the service's running marks count.
std::vector<TaskHealthRow> ReadTaskHealth(const std::string& document, const std::string& programDir,
                                          const LastBackupTimes& log, Moment now, bool bServiceRunning,
                                          IFileSystem& files = RealFileSystem());
std::vector<TaskHealthRow> ReadTaskHealth(const std::string& document, const std::string& programDir,
                                          Moment now, bool bServiceRunning, IFileSystem& files = RealFileSystem());

// A log time text ("%Y-%m-%d %H:%M:%S") as a moment; kNoMoment for anything else.
Moment ParseTimeText(const std::string& text);

}  // namespace dorvik
