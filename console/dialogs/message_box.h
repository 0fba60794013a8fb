#pragma once
// Every message box of the console: one place for the title and the call.
#include <string>

#include "common/win32.h"

namespace dorvik {

// The title of every message box of the console.
constexpr const char* kMessageTitle = "Varnel·Dorvik系统";

// The box's answer (IDOK, IDYES, ...).
int ShowMessageBox(HWND owner, const std::string& text, UINT flags = MB_OK,
                   const char* caption = kMessageTitle);

}  // namespace dorvik
