#pragma once
// The console's reactions to the configuration store: message boxes, and ending the process.
#include "config/config_reactions.h"

namespace dorvik {

class MessageBoxReactions : public IConfigReactions {
 public:
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  // The archiver selection dialog is not built yet: nothing is chosen.
  std::string AskArchiverPath() override;
  void EndProgram() override;
};

}  // namespace dorvik
