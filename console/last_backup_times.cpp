#include "console/last_backup_times.h"

namespace dorvik {

LastBackupTimes LoadLastBackupTimes(const std::string& programDir) {
  return MakeBackupLog(programDir)->GetAllLastBackupTimes();
}

}  // namespace dorvik
