#pragma once
// Windows-style file masks ("*" any run, "?" one character), compared without regard to ASCII
// case and character by character in GBK. "*.*" matches every name, also one without a dot,
// as the Windows tools and the archiver treat it.
#include <string>

namespace dorvik {

bool MatchesMask(const std::string& name, const std::string& mask);

}  // namespace dorvik
