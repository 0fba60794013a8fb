#include "config/config_temp_name.h"

#include <cstdint>
#include <cstdio>

#include "common/gbk.h"
#include "common/text.h"

namespace dorvik {

namespace {
constexpr std::string::size_type kLockNameLimit = 200;
}  // namespace

std::string TempConfigName(const std::string& path, unsigned long processId, unsigned counter) {
  return path + "." + std::to_string(processId) + "-" + std::to_string(counter) + ".tmp";
}


bool IsTempConfigName(const std::string& path, const std::string& candidate) {
  const std::string head = path + ".";
  const std::string tail = ".tmp";
  if (candidate.size() <= head.size() + tail.size() || !StartsWith(candidate, head)) return false;
  if (candidate.compare(candidate.size() - tail.size(), tail.size(), tail) != 0) return false;
  const std::string middle =
      candidate.substr(head.size(), candidate.size() - head.size() - tail.size());
  std::string::size_type dash = middle.find('-');
  if (dash == std::string::npos || dash == 0 || dash + 1 == middle.size()) return false;
  for (std::string::size_type i = 0; i < middle.size(); ++i) {
    if (i != dash && (middle[i] < '0' || middle[i] > '9')) return false;
  }
  return true;
}

std::string ConfigLockName(const std::string& fullPath) {
  std::string lowered = AsciiLower(fullPath);
  for (std::string::size_type pos = 0;
       (pos = FindFirstChar(lowered, '\\', pos)) != std::string::npos; ++pos) {
    lowered[pos] = '/';
  }
  std::string name = "DorvikConfig:" + lowered;
  if (name.size() <= kLockNameLimit) return name;
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : lowered) hash = (hash ^ c) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  // Cutting may split a double-byte character; the name is only an identifier.
  return name.substr(0, kLockNameLimit - 17) + "#" + hex;
}

}  // namespace dorvik
