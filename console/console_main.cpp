// The desktop console. Its windows are not built yet: it only makes sure config.db exists and is
// sound, which every later part of the console stands on.
#include "common/win32.h"

#include "common/file_system.h"
#include "config/config_file.h"
#include "config/ensure_document.h"
#include "console/message_box_reactions.h"
#include "common/program_dir.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace dorvik;
  MessageBoxReactions reactions;
  std::unique_ptr<IConfigFile> file = MakeConfigFile(ProgramDirectory() + "config.db");
  ConfigStartup startup;
  EnsureConfigDocument(*file, reactions,
                       [](const std::string& path) { return RealFileSystem().Exists(path); },
                       &startup);
  return 0;
}
