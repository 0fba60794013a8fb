// Stand-ins for the task editors until their dialogs are part of this build.
#include "console/file_task_dlg.h"
#include "console/message_box_reactions.h"
#include "console/sql_task_dlg.h"

namespace dorvik {

bool RunFileTaskEditor(HWND owner, const std::string&, const std::string&, FileTaskEditorValues*) {
  MessageBoxA(owner, "文件备份任务编辑器尚未完成。", kMessageTitle, MB_OK);
  return false;
}

bool RunSqlTaskEditor(HWND owner, const SqlTaskEditorContext&, SqlTaskEditorValues*) {
  MessageBoxA(owner, "SQL Server备份任务编辑器尚未完成。", kMessageTitle, MB_OK);
  return false;
}

}  // namespace dorvik
