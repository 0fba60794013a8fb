#pragma once
// The folder of the running executable, with its trailing backslash.
#include <string>

namespace dorvik {

std::string ProgramDirectory();

}  // namespace dorvik
