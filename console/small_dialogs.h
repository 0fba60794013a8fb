#pragma once
// The About box and the settings dialog's stand-in.
#include <string>

#include "common/win32.h"

namespace dorvik {

void ShowAboutBox(HWND owner);

// Shows the archiver path and the default storage folder; changes nothing yet.
void EditSettings(HWND owner, const std::string& rarPath, const std::string& defStorePath);

}  // namespace dorvik
