#pragma once
// One HTTP GET through the system's internet settings (its proxy included).
#include <string>

namespace dorvik {

// The response's lines joined without their line ends, when the server answered 200 within the
// time limit. False, with an empty text, on an empty address, any internet error, another
// status or a server too slow to answer: a dead server must never hold the console up.
bool FetchWebText(const std::string& address, std::string* text);

}  // namespace dorvik
