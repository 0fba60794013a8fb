#pragma once
// The system's own words for an error number, with the number after them: "拒绝访问。 (5)".
#include <string>

namespace dorvik {

std::string SystemErrorText(unsigned long code);

// Remembers the calling thread's last system error (GetLastError / errno) for a later
// LastNotedErrorText(); returns false, so a failing path can `return NoteSystemError();`.
bool NoteSystemError();
// The noted error in the system's words; empty when this thread has noted none.
std::string LastNotedErrorText();

}  // namespace dorvik
