#include "console/core/archiver_choice.h"

#include "common/gbk.h"
#include "common/text.h"

namespace dorvik {

namespace {

// A backslash that is the trail byte of a double-byte character starts no file name.
bool HasNameAfterBackslash(const std::string& path, const std::string& name) {
  for (auto at = FindFirstChar(path, '\\'); at != std::string::npos;
       at = FindFirstChar(path, '\\', at + 1)) {
    if (path.compare(at + 1, name.size(), name) == 0) return true;
  }
  return false;
}

bool HasArchiverName(const std::string& path, ArchiverNameRule rule) {
  if (rule == ArchiverNameRule::FirstStart)
    return Contains(path, "Rar.exe") || Contains(path, "rar.exe");
  return HasNameAfterBackslash(path, "rar.exe") || HasNameAfterBackslash(path, "winrar.exe");
}

}  // namespace

ArchiverPathCheck CheckArchiverPath(const std::string& path, ArchiverNameRule rule,
                                    const std::function<bool(const std::string&)>& fileExists) {
  if (path.empty() || !HasArchiverName(path, rule)) return ArchiverPathCheck::Misnamed;
  return fileExists(path) ? ArchiverPathCheck::Accepted : ArchiverPathCheck::Missing;
}

bool IsAcceptedArchiverPath(const std::string& path,
                            const std::function<bool(const std::string&)>& fileExists) {
  return CheckArchiverPath(path, ArchiverNameRule::FirstStart, fileExists) ==
         ArchiverPathCheck::Accepted;
}

}  // namespace dorvik
