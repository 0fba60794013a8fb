#include "console/archiver_choice.h"

#include "common/text.h"

namespace dorvik {

bool IsAcceptedArchiverPath(const std::string& path,
                            const std::function<bool(const std::string&)>& fileExists) {
  if (path.empty() || !fileExists(path)) return false;
  return Contains(path, "Rar.exe") || Contains(path, "rar.exe");
}

}  // namespace dorvik
