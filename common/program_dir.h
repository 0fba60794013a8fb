#pragma once
// The folder of the running executable, with its trailing backslash: config.db, the Log folder
// and the service program lie there.
#include <string>

namespace dorvik {

// Empty when the path could not be read whole (a path longer than the buffer is never cut).
std::string ProgramDirectory();

}  // namespace dorvik
