#pragma once
// One run of a SQL Server backup task: the server writes a ".bak" file of each database into a
// dated folder below the task's storage folder; in the archiving mode each ".bak" is then
// archived by rar.exe (which deletes it). Every file made is logged. The console and Backup.exe
// run the same code; what differs between them goes through ISqlJobReporter.
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/file_system.h"
#include "jobs/backup_log.h"
#include "jobs/process.h"
#include "jobs/sql_access.h"

namespace dorvik {

class ISqlJobReporter {
 public:
  virtual ~ISqlJobReporter() = default;
  // Before each backup statement: the console's 立即备份 button shows database + "...".
  virtual void ShowProgress(const std::string& database) = 0;
  // A failed statement's description, or the run's final report: the console shows a message
  // box; Backup.exe keeps it for the event log.
  virtual void ShowMessage(const std::string& text) = 0;
  // Rewrites the task's <status> (console: UpdateTaskStatus). The time text written, or "" when
  // nothing was written (Backup.exe never writes config.db).
  virtual std::string WriteStatus(const std::string& strRecord) = 0;
  // After the status was written: last-backup column of the running task's rows.
  virtual void ShowLastBackupTime(const std::string& timeText) = 0;
  // Every end of a run, whatever path it took, after its last message: the button reads
  // "立即备份" again and is enabled, and SqlBackupIdle becomes true.
  virtual void RunEnded() = 0;
};

struct SqlJobEnvironment {
  std::string strRarDir;                   // archiver folder (rarpath up to its last backslash)
  ISqlConnection* pConnection;             // null when no connection is open
  std::vector<std::string> allDatabases;   // the user databases, for "所有数据库"
  IProcessRunner& processes;
  IBackupLog& log;
  IFileSystem& files;
  IClock& clock;
  ISqlJobReporter& reporter;
};

// What a run did, for callers that report by other means than messages (Backup.exe).
struct SqlJobOutcome {
  bool bStarted = false;                    // false: no connection, nothing was done
  bool bAborted = false;                    // the archiving mode stopped at a failed statement
  bool bRefused = false;                    // the record cannot be run (no database, bad names)
  std::string strRunFolder;
  std::vector<std::string> failedDatabases;
  std::vector<std::string> problems;        // every failure, one readable line each
  bool Succeeded() const { return bStarted && problems.empty(); }
};

// <iscut> "是": every database is backed up first; the first failure ends the run with no
// archives, log lines or status. Then each backup is archived and logged.
SqlJobOutcome DoSqlBackup(const std::string& strRecord, SqlJobEnvironment& env);
// Any other <iscut>: each database is backed up and logged; a failure moves on to the next.
SqlJobOutcome DoSqlBackupNocut(const std::string& strRecord, SqlJobEnvironment& env);

}  // namespace dorvik
