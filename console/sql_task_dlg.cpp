#include "console/sql_task_dlg.h"

namespace dorvik {

bool RunSqlTaskEditor(HWND owner, const SqlTaskEditorContext& context, SqlTaskEditorValues* values) {
  return false;
}

}  // namespace dorvik
