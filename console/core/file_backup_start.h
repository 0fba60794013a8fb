#pragma once
// What an immediate file backup from the console starts with: the checks before the run, and
// the job's request built from the task's record.
#include <functional>
#include <string>

#include "jobs/file_backup_job.h"

namespace dorvik {

struct FileBackupStart {
  std::string strRefusal;     // the message when no run starts; empty otherwise
  bool bArchive = false;      // "是": DoBackup; otherwise DoBackupNocut
  FileBackupRequest request;  // strRecord is the whole record, so the status write-back finds it
};

// Refuses, in this order, a missing source folder, a missing storage folder and a compression
// value other than "是", "否" and "备份后压缩".
FileBackupStart PrepareFileBackup(const std::string& recordText,
                                  const std::function<bool(const std::string&)>& pathExists);

}  // namespace dorvik
