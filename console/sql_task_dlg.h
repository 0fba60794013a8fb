#pragma once
// The SQL Server task editor ("MSSQL Server数据库备份设置 - Varnel·Dorvik"): a modal dialog that
// edits the values of one SQL Server task. It never touches config.db.
#include <string>
#include <vector>

#include "common/win32.h"
#include "config/sql_task_record.h"

namespace dorvik {

struct SqlTaskEditorContext {
  bool bChange = false;                    // an existing task is being changed
  std::string strRecordText;               // the record being changed
  std::string strNewId;                    // identifier of a new task, in decimal
  std::string strDefStorePath;             // offered as the storage folder of a new task
  std::vector<std::string> knownDatabases; // the server's databases but master and tempdb, in name order
  std::vector<std::string> refusedNames;   // task names the editor refuses
};

// True when the dialog closed with OK; *values then holds what BuildSqlTaskRecord needs.
bool RunSqlTaskEditor(HWND owner, const SqlTaskEditorContext& context, SqlTaskEditorValues* values);

}  // namespace dorvik
