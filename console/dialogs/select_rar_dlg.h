#pragma once
// The first-start archiver selection dialog ("浏览选择本地已安装的RAR软件！").
#include <string>

#include "common/win32.h"

namespace dorvik {

// Runs the dialog modally; the chosen archiver path when it passed the check, else "" (after
// the message "rar路径错误，系统压缩功能将无法使用!!!").
std::string SelectArchiver(HWND owner);

}  // namespace dorvik
