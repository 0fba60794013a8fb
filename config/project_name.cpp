#include "config/project_name.h"

#include "common/gbk.h"
#include "common/text.h"

namespace dorvik {

namespace {

bool IsDeviceName(const std::string& name) {
  // Windows reads "con.txt" and "nul  .x" as the device too: only the part before the first dot,
  // without its trailing blanks, counts.
  std::string base = AsciiLower(TrimRight(name.substr(0, FindFirstChar(name, '.'))));
  static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"};
  for (const char* device : kDevices) {
    if (base == device) return true;
  }
  return base.size() == 4 && (StartsWith(base, "com") || StartsWith(base, "lpt")) && base[3] >= '1' &&
         base[3] <= '9';
}

}  // namespace

bool IsPlainProjectName(const std::string& name) {
  if (name.empty() || !IsWellFormedGbk(name)) return false;
  if (name.back() == '.' || name.back() == ' ') return false;
  for (std::string::size_type i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsGbkLeadByte(c)) {
      ++i;  // a trail byte may be 0x5C or 0x7C and is still part of a plain character
      continue;
    }
    if (c < 0x20 || Contains("\\/:*?\"<>|", std::string(1, static_cast<char>(c)))) return false;
  }
  return !IsDeviceName(name);
}

}  // namespace dorvik
