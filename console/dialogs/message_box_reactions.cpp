#include "console/dialogs/message_box_reactions.h"

#include "common/win32.h"
#include "console/dialogs/select_rar_dlg.h"

namespace dorvik {

namespace {
UINT IconFlags(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop:
      return MB_ICONSTOP;
    case MessageIcon::Warning:
      return MB_ICONWARNING;
    case MessageIcon::None:
      break;
  }
  return 0;
}
}  // namespace

void CMessageBoxReactions::ShowMessage(const std::string& text, MessageIcon icon) {
  ShowMessageBox(m_hOwner, text, MB_OK | IconFlags(icon));
}

std::string CMessageBoxReactions::AskArchiverPath() { return SelectArchiver(m_hOwner); }

void CMessageBoxReactions::EndProgram() { ExitProcess(0); }

}  // namespace dorvik
