#include "config/config_reactions.h"

namespace dorvik {

namespace {
class CSilentReactions : public IConfigReactions {
 public:
  void ShowMessage(const std::string&, MessageIcon) override {}
  std::string AskArchiverPath() override { return std::string(); }
  void EndProgram() override {}
};
}  // namespace

IConfigReactions& SilentConfigReactions() {
  static CSilentReactions reactions;
  return reactions;
}

}  // namespace dorvik
