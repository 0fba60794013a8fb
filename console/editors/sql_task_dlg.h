#pragma once
// The SQL Server task editor ("MSSQL Server数据库备份设置 - Varnel·Dorvik"): a modal dialog that
// edits the values of one SQL Server task. It never touches config.db.
#include <string>

#include "common/win32.h"
#include "config/sql_task_record.h"
#include "console/editors/sql_task_editor.h"

namespace dorvik {

// True when the dialog closed with OK; *values then holds what BuildSqlTaskRecord needs.
bool RunSqlTaskEditor(HWND owner, const SqlTaskEditorContext& context, SqlTaskEditorValues* values);

}  // namespace dorvik
