#pragma once
// DorvikUI.exe's one command-line switch.
#include <string>

namespace dorvik {

// True only for exactly "/stopsvc" after the program name: nothing before or after it, and
// case-sensitive, so "/STOPSVC" or "/stopsvc " open the main window.
bool IsStopServiceSwitch(const std::string& commandTail);

}  // namespace dorvik
