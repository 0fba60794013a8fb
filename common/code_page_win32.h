#pragma once
// Text from one Windows code page to another (through UTF-16), as it was when it cannot.
#include <string>

#include "common/win32.h"

namespace dorvik {

std::string ConvertCodePage(const std::string& text, UINT from, UINT to);

}  // namespace dorvik
