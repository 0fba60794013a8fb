#include "console/shell_open.h"

#include <shellapi.h>

namespace dorvik {

void OpenWithShell(HWND owner, const char* verb, const std::string& target, int show) {
  ShellExecuteA(owner, verb, target.c_str(), nullptr, nullptr, show);
}

void SelectInExplorer(const std::string& path) {
  WinExec(("explorer.exe /select, " + path).c_str(), SW_SHOWNORMAL);
}

}  // namespace dorvik
