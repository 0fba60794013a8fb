#pragma once
// The settings dialog behind "系统设置": the archiver path and the default storage folder.
#include <string>

#include "common/win32.h"
#include "config/config_store.h"

namespace dorvik {

// Runs the dialog modally. A save rewrites config.db through the store and, when a folder was
// given, makes it the console's default storage folder (*defStorePath) at once.
void EditSettings(HWND owner, CConfigStore& store, std::string* defStorePath);

}  // namespace dorvik
