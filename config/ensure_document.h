#pragma once
// The console's start-up check of config.db: create the default document when it is missing,
// refuse a damaged one, and hand back what the main window needs.
#include <functional>
#include <string>
#include <vector>

#include "common/clock.h"
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

// A damaged config.db is moved aside as "config.db.damaged-YYYYMMDD-HHMMSS" (the clock's time),
// so its tasks can still be recovered by hand; the next start writes the default document.
EnsureResult EnsureConfigDocument(IConfigFile& file, IConfigReactions& reactions,
                                  const PathExists& pathExists, IClock& clock,
                                  ConfigStartup* startup);

// ".damaged-YYYYMMDD-HHMMSS"
std::string DamagedConfigSuffix(const LocalTime& now);

}  // namespace dorvik
