#pragma once
// The console's reactions to the configuration store: message boxes, the first-start archiver
// dialog, and ending the process.
#include "common/win32.h"
#include "config/config_reactions.h"
#include "console/dialogs/message_box.h"

namespace dorvik {

class CMessageBoxReactions : public IConfigReactions {
 public:
  void SetOwner(HWND owner) { m_hOwner = owner; }
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  std::string AskArchiverPath() override;
  void EndProgram() override;

 private:
  HWND m_hOwner = nullptr;
};

}  // namespace dorvik
