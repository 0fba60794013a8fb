#pragma once
// The task lists' source of last backup times, cached across refills (interface thread only).
#include <string>

#include "jobs/backup_log.h"

namespace dorvik {

LastBackupTimes LoadLastBackupTimes(const std::string& programDir);

}  // namespace dorvik
