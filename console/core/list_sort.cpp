#include "console/core/list_sort.h"

#include "common/gbk.h"
#include "common/text.h"

namespace dorvik {

int CompareListTexts(int column, const std::string& a, const std::string& b) {
  if (column == 0) {
    long long x = LeadingNumber(a), y = LeadingNumber(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  return AsciiLower(a).compare(AsciiLower(b));
}

}  // namespace dorvik
