#pragma once
// The console's start-up check of config.db: create the default document when it is missing,
// refuse a damaged one, and hand back what the main window needs.
#include <functional>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/config_reactions.h"

namespace dorvik {

// Where the console looks for WinRAR before asking, in this order.
extern const char* const kDefaultArchiverPaths[3];

struct ConfigStartup {
  std::string strRarPath;       // rarpath
  std::string strRarDir;        // rarpath up to and including its last backslash
  std::string strDefStorePath;  // defStorePath
  std::vector<std::string> fileTaskRecords;
  long long nNextFileTaskId = 0;
};

enum class EnsureResult {
  Ready,      // *startup is filled
  NotLoaded,  // config.db could not be created; the console runs on without tasks
  Ended,      // the reactions were told to end the program
};

using PathExists = std::function<bool(const std::string& path)>;

EnsureResult EnsureConfigDocument(IConfigFile& file, IConfigReactions& reactions,
                                  const PathExists& pathExists, ConfigStartup* startup);

}  // namespace dorvik
