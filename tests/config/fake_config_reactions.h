#pragma once
// Records what the store would show or do, and answers the archiver dialog with a chosen path.
#include <string>
#include <utility>
#include <vector>

#include "config/config_reactions.h"

namespace dorvik {

class CFakeConfigReactions : public IConfigReactions {
 public:
  std::vector<std::pair<std::string, MessageIcon>> messages;
  std::string strArchiverAnswer;
  int nArchiverAsked = 0;
  int nEnded = 0;

  void ShowMessage(const std::string& text, MessageIcon icon) override {
    messages.emplace_back(text, icon);
  }
  std::string AskArchiverPath() override {
    ++nArchiverAsked;
    return strArchiverAnswer;
  }
  void EndProgram() override { ++nEnded; }
};

}  // namespace dorvik
