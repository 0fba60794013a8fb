#include "console/dialogs/shell_open.h"

#include <shellapi.h>

#include "jobs/process.h"

namespace dorvik {

void OpenWithShell(HWND owner, const char* verb, const std::string& target, int show) {
  ShellExecuteA(owner, verb, target.c_str(), nullptr, nullptr, show);
}

void SelectInExplorer(const std::string& path) {
  // Started by its full path, never searched for, with the path quoted: a folder with blanks or
  // commas reaches explorer as one argument.
  const std::string explorer = WindowsProgramPath("explorer.exe");
  ShellExecuteA(nullptr, "open", explorer.c_str(), ("/select,\"" + path + "\"").c_str(), nullptr,
                SW_SHOWNORMAL);
}

}  // namespace dorvik
