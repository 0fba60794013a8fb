#pragma once
// The task lists' source of last backup times: one pass over the backup log for all tasks.
#include <string>

#include "jobs/backup_log.h"

namespace dorvik {

LastBackupTimes LoadLastBackupTimes(const std::string& programDir);

}  // namespace dorvik
