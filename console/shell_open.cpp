#include "console/shell_open.h"

#include <shellapi.h>

namespace dorvik {

void OpenWithShell(HWND owner, const char* verb, const std::string& target, int show) {
  ShellExecuteA(owner, verb, target.c_str(), nullptr, nullptr, show);
}

}  // namespace dorvik
