#include "console/file_task_dlg.h"

namespace dorvik {

bool RunFileTaskEditor(HWND owner, const std::string& recordText,
                       const std::string& defStorePath, FileTaskEditorValues* values) {
  return false;
}

}  // namespace dorvik
