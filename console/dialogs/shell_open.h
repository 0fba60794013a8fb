#pragma once
// Opening folders and web pages through the shell, and the archiver's download page.
#include <string>

#include "common/win32.h"

namespace dorvik {

constexpr const char* kArchiverDownloadAddress = "http://www.varnel.cn/download/winrar.html";

// The shell's action for `target` (verb null: its default action). The outcome is not reported:
// a folder or page the shell cannot open leaves nothing for the console to do.
void OpenWithShell(HWND owner, const char* verb, const std::string& target, int show);

// The explorer with `path` selected, as an administrator would start it by hand; not reported
// either, for the same reason.
void SelectInExplorer(const std::string& path);

}  // namespace dorvik
