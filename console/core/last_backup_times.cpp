#include "console/core/last_backup_times.h"

#include "jobs/last_backup_cache.h"

namespace dorvik {

LastBackupTimes LoadLastBackupTimes(const std::string& programDir) {
  // One cache for the console's whole run, so a refill after a task change rereads only the
  // logs that changed. The program directory never changes, and only the interface thread
  // fills the lists.
  static CLastBackupCache cache(programDir);
  return cache.GetAllLastBackupTimes();
}

}  // namespace dorvik
