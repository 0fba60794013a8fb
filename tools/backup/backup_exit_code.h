#pragma once
// Backup.exe's exit codes: how the service learns the outcome of the run it started.

namespace dorvik {

enum BackupExitCode {
  kBackupSucceeded = 0,
  kBackupPartlyFailed = 1,    // a database, an archive or a log line failed
  kBackupBadCommandLine = 2,
  kBackupNoServer = 3,        // no connection, or the database list could not be read
};

// What an exit code means, for the run's record (Backup.exe's own event 200 has the details).
inline const char* DescribeBackupExitCode(unsigned long code) {
  switch (code) {
    case kBackupSucceeded:
      return "成功";
    case kBackupPartlyFailed:
      return "有数据库、压缩文件或日志行未能完成";
    case kBackupBadCommandLine:
      return "命令行或任务记录无效";
    case kBackupNoServer:
      return "无法连接 SQL Server 或读取数据库列表";
  }
  return "意外的退出码";
}

}  // namespace dorvik
