#pragma once
// What a task's watcher takes from its record, and the work it starts when the task falls due:
// a file backup job on a thread of its own, or Backup.exe under the SQL backup lock.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "common/clock.h"
#include "jobs/file_backup_job.h"
#include "jobs/process.h"
#include "service/day_rules.h"
#include "service/hour_pass.h"

namespace dorvik {

enum class FileJobKind { None, Archive, Copy, CopyThenArchive };

// "是" archives (DoBackup), "否" copies, "备份后压缩" copies then archives (DoBackupNocut);
// anything else starts nothing.
FileJobKind ChooseFileJob(const std::string& strIsCut);

struct FileTaskWatch {
  DayRule dayRule;
  HourList hours;
  FileJobKind jobKind = FileJobKind::None;
  FileBackupRequest request;  // strRecord holds only "<m_strID>" + id + "</m_strID>"
  bool bEnabled = false;      // only a Check of exactly "NO" disables a task
};
FileTaskWatch ReadFileTaskWatch(const std::string& recordText);

struct SqlTaskWatch {
  DayRule dayRule;
  HourList hours;
  std::string strIsCut;   // handed to Backup.exe; only "是" and "否" start it
  std::string strRecord;  // the whole record, handed to Backup.exe
  bool bEnabled = false;
};
SqlTaskWatch ReadSqlTaskWatch(const std::string& recordText);

// Runs the job the kind names on its own copy of the request (waits for it).
void RunFileJob(FileJobKind kind, const FileBackupRequest& request, FileJobEnvironment& env);

// programDir + "Backup.exe", the program started for a due SQL Server task.
std::string SqlBackupProgramPath(const std::string& strProgramDir);
// programDir + "Backup.exe \"" + record + "\" " + "是" or "否"; nothing in the record is escaped.
std::string SqlBackupCommandLine(const std::string& strProgramDir, const std::string& strRecord,
                                 const std::string& strIsCut);
// Starts Backup.exe hidden and waits for it while holding the lock, so only one runs at a time.
ProcessResult RunSqlBackupProgram(std::mutex& csSqlBackup, IProcessRunner& processes,
                                  const std::string& program, const std::string& commandLine);

// The watcher routines of one task; each returns at once for a disabled task, else when bStop
// is set. startJob is called for each due start of a file task whose mode names a job;
// runProgram for each due start of a SQL Server task whose choice is "是" or "否".
void WatchFileTask(const std::string& recordText, IClock& clock, const std::atomic<bool>& bStop,
                   const std::function<void(FileJobKind, const FileBackupRequest&)>& startJob);
void WatchSqlTask(const std::string& recordText, IClock& clock, const std::atomic<bool>& bStop,
                  const std::function<void(const std::string& strIsCut,
                                           const std::string& strRecord)>& runProgram);

}  // namespace dorvik
