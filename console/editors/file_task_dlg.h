#pragma once
// The file task editor ("文件备份选项"): a modal dialog that edits the values of one file task.
// It never touches config.db; the caller builds and writes the record.
#include <string>

#include "common/win32.h"
#include "config/file_task_record.h"

namespace dorvik {

// `recordText` is empty for a new task. True when the dialog closed with OK; *values then holds
// what BuildFileTaskRecord needs (the caller fills in the identifier, check and status it keeps).
bool RunFileTaskEditor(HWND owner, const std::string& recordText,
                       const std::string& defStorePath, FileTaskEditorValues* values);

}  // namespace dorvik
