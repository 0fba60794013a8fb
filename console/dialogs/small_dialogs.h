#pragma once
// The About box.
#include <string>

#include "common/win32.h"

namespace dorvik {

// The product's web address is a link: a hand over it, a click opens `productPage`.
void ShowAboutBox(HWND owner, const std::string& productPage);

}  // namespace dorvik
