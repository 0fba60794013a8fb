#pragma once
// What Backup.exe does with its command line: the SQL Server backup job on the given record,
// with no window and no status write-back; failures come back as an exit code and one text.
#include <functional>
#include <memory>
#include <string>

#include "common/clock.h"
#include "common/file_system.h"
#include "jobs/backup_log.h"
#include "jobs/process.h"
#include "jobs/sql_access.h"
#include "tools/backup/backup_exit_code.h"

namespace dorvik {

struct BackupProgramEnvironment {
  std::string strConfigDocument;  // config.db beside the program, read quietly ("" if unreadable)
  std::function<std::unique_ptr<ISqlConnection>(std::string* error)> openConnection;
  IProcessRunner& processes;
  IBackupLog& log;
  IFileSystem& files;
  IClock& clock;
};

struct BackupProgramResult {
  int nExitCode = kBackupSucceeded;
  std::string strFailure;  // for the event log; empty on success
};

BackupProgramResult RunBackupProgram(const std::string& commandLine, BackupProgramEnvironment& env);

}  // namespace dorvik
