#include "console/message_box_reactions.h"

#include "common/win32.h"

namespace dorvik {

namespace {
UINT IconFlags(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop: return MB_ICONSTOP;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::None: break;
  }
  return 0;
}
}  // namespace

void MessageBoxReactions::ShowMessage(const std::string& text, MessageIcon icon) {
  MessageBoxA(nullptr, text.c_str(), "Varnel·Dorvik系统", MB_OK | IconFlags(icon));
}

std::string MessageBoxReactions::AskArchiverPath() { return std::string(); }

void MessageBoxReactions::EndProgram() { ExitProcess(0); }

}  // namespace dorvik
