#include "common/wildcard.h"

#include <vector>

#include "common/gbk.h"

namespace dorvik {

namespace {

// Splits GBK text into characters, ASCII letters folded to lower case.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> chars;
  const std::string lower = AsciiLower(text);
  for (std::string::size_type i = 0; i < lower.size();) {
    std::string::size_type n =
        IsGbkLeadByte(static_cast<unsigned char>(lower[i])) && i + 1 < lower.size() ? 2 : 1;
    chars.push_back(lower.substr(i, n));
    i += n;
  }
  return chars;
}

}  // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
  std::string effective = mask;
  // "x.*" also matches "x" (no extension), like the Windows tools.
  if (effective.size() >= 2 && effective.compare(effective.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos) {
    effective.erase(effective.size() - 2);
  }
  const std::vector<std::string> n = Characters(name), m = Characters(effective);
  // Iterative matching with backtracking to the last star: linear in practice.
  std::size_t ni = 0, mi = 0, starM = std::string::npos, starN = 0;
  while (ni < n.size()) {
    if (mi < m.size() && (m[mi] == "?" || m[mi] == n[ni])) {
      ++ni;
      ++mi;
    } else if (mi < m.size() && m[mi] == "*") {
      starM = mi++;
      starN = ni;
    } else if (starM != std::string::npos) {
      mi = starM + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (mi < m.size() && m[mi] == "*") ++mi;
  return mi == m.size();
}

}  // namespace dorvik
