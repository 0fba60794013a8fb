#pragma once
// The running executable: its full path and its folder. config.db, the Log folder, rar.log and
// the service program lie in that folder.
#include <string>

namespace dorvik {

// The full path of the executable. Empty when it could not be read whole (a path longer than
// the buffer is never cut).
std::string ProgramPath();

// The folder of the executable with its trailing backslash ("/" in the native build); empty
// when ProgramPath() is.
std::string ProgramDirectory();

}  // namespace dorvik
