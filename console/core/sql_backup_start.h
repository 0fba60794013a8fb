#pragma once
// What an immediate SQL Server backup from the console starts with: its checks, in the order the
// administrator meets them. Nothing is asked while the row or an idle connection is missing,
// and the record and its storage folder are looked at only after the Yes, so the answer always
// applies to the task as it is stored at that moment.
#include <functional>
#include <string>

namespace dorvik {

struct SqlBackupSteps {
  // Shows the question; true for Yes.
  std::function<bool(const std::string& question)> confirm;
  // The chosen row's record as the document holds it now; false when it has none.
  std::function<bool(std::string* record)> findRecord;
  std::function<bool(const std::string& path)> pathExists;
};

struct SqlBackupStart {
  bool bStart = false;
  std::string strRefusal;  // the message when no run starts; empty also after a No
  std::string strRecord;   // the record to run, when bStart
};

SqlBackupStart PrepareSqlBackup(int chosenRow, bool bSqlBackupIdle, const std::string& taskName,
                                const SqlBackupSteps& steps);

}  // namespace dorvik
