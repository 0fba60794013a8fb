#pragma once
// One HTTP GET through the system's internet settings (its proxy included).
#include <string>

namespace dorvik {

// The response's lines joined without their line ends, when the server answered 200 within the
// time limit with at most 64 KiB. False, with an empty text, on an empty address, any internet
// error, another status, a longer answer or a server too slow to answer: a dead or endless
// server must never hold the console up nor fill its memory.
bool FetchWebText(const std::string& address, std::string* text);

}  // namespace dorvik
