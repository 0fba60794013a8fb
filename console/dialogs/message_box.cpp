#include "console/dialogs/message_box.h"

namespace dorvik {

int ShowMessageBox(HWND owner, const std::string& text, UINT flags, const char* caption) {
  return MessageBoxA(owner, text.c_str(), caption, flags);
}

}  // namespace dorvik
