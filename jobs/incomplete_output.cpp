#include "jobs/incomplete_output.h"

#include "common/gbk.h"
#include "common/text.h"

namespace dorvik {

const char kIncompleteMark[] = ".incomplete";

namespace {

// The endings the jobs give their files; a copy folder has none of its own (a dot in it
// belongs to the source name).
const char* const kFileEndings[] = {".zip", ".bak"};

}  // namespace

std::string IncompleteOutputPath(const std::string& path) {
  const std::string name = AsciiLower(LastPathComponent(path));
  for (const std::string ending : kFileEndings) {
    if (name.size() > ending.size() && EndsWith(name, ending)) {
      const std::string::size_type cut = path.size() - ending.size();
      return path.substr(0, cut) + kIncompleteMark + path.substr(cut);
    }
  }
  return path + kIncompleteMark;
}

bool IsIncompleteOutputName(const std::string& name) {
  const std::string lower = AsciiLower(LastPathComponent(name));
  if (EndsWith(lower, kIncompleteMark)) return true;
  for (const char* ending : kFileEndings) {
    if (EndsWith(lower, std::string(kIncompleteMark) + ending)) return true;
  }
  return false;
}

}  // namespace dorvik
