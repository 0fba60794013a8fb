#include "console/core/sql_backup_start.h"

#include "config/document.h"
#include "console/core/task_commands.h"

namespace dorvik {

SqlBackupStart PrepareSqlBackup(int chosenRow, bool bSqlBackupIdle, const std::string& taskName,
                                const SqlBackupSteps& steps) {
  SqlBackupStart start;
  start.strRefusal = SqlBackupRefusal(chosenRow, bSqlBackupIdle);
  if (!start.strRefusal.empty() || !steps.confirm(SqlBackupQuestion(taskName))) return start;
  if (!steps.findRecord(&start.strRecord)) {
    start.strRefusal = kTaskNotInDocument;
  } else if (!steps.pathExists(GetTag(start.strRecord, "despath"))) {
    start.strRefusal = "目标文件路径不存在！";
  } else {
    start.bStart = true;
  }
  return start;
}

}  // namespace dorvik
