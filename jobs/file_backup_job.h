#pragma once
// One run of a file backup task: copies or archives the source folder into a dated folder below
// the storage folder, applies the task's filter and records the run in the day's backup log.
// The same code runs in the service (on a watcher's thread) and in the console; what differs
// between them goes through IFileJobReporter.
#include <string>

#include "common/clock.h"
#include "common/file_system.h"
#include "jobs/backup_log.h"
#include "jobs/process.h"

namespace dorvik {

struct FileBackupRequest {
  // Holds the task's "<m_strID>" element: the console passes the whole record text (its status
  // write-back replaces exactly this text), the service only "<m_strID>" + id + "</m_strID>".
  std::string strRecord;
  std::string strSouPath;  // <SouPath>, the source folder
  std::string strDesPath;  // <DesPath>, the storage folder
  std::string strFile;     // <strfile>, the filter with its marker words
  bool bCompressAfter = false;  // "备份后压缩": DoBackupNocut archives the copy afterwards
};

// A run's success message: "操作成功！备份文件：" and then the output's path.
constexpr const char* kFileJobSuccessPrefix = "操作成功！备份文件：";

// The steps that differ between the console and the service.
class IFileJobReporter {
 public:
  virtual ~IFileJobReporter() = default;
  // Called after a run that made its output: the console writes the task's <status>
  // (UpdateTaskStatus in jobs/task_status.h); the service does nothing.
  virtual void UpdateTaskStatus(const std::string& strRecord) = 0;
  // kFileJobSuccessPrefix + path: the console shows it; the service ignores it.
  virtual void ReportSuccess(const std::string& message) = 0;
  // Something went wrong or was refused (bad filter, unsupported item, a program that failed):
  // the console shows it, the service records it (event log).
  virtual void ReportFailure(const std::string& message) = 0;
  // Called exactly once at the very end of every run, whatever path it took, so a waiting
  // console can bring its button back.
  virtual void RunEnded() = 0;
};

struct FileJobEnvironment {
  std::string strRarDir;      // archiver folder, the rarpath value up to its last backslash
  std::string strProgramDir;  // folder of the running program, with its trailing backslash
  IProcessRunner& processes;
  IBackupLog& log;
  IFileSystem& files;
  IClock& clock;
  IFileJobReporter& reporter;
};

// "是": one archive "file_<source name>_<stamp>.zip" made directly from the source.
void DoBackup(const FileBackupRequest& request, FileJobEnvironment& env);
// "否" and "备份后压缩": a copy folder "file_<source name>_<stamp>", archived beside it as
// <copy folder>.zip when bCompressAfter is set.
void DoBackupNocut(const FileBackupRequest& request, FileJobEnvironment& env);

}  // namespace dorvik
