#include "console/web/web_address.h"

#include <cstdlib>

#include "common/text.h"

namespace dorvik {

bool IsWebAddress(const std::string& address) {
  return StartsWith(address, "http://") || StartsWith(address, "https://");
}

std::string WebAddressOr(const std::string& address, const std::string& fallback) {
  return IsWebAddress(address) ? address : fallback;
}

int NextRequestNumber() {
  std::srand(0);
  return std::rand() % 998 + 1;
}

std::string WithRequestNumber(const std::string& address, int number) {
  return address + (Contains(address, "?") ? "&rnum=" : "?rnum=") + std::to_string(number);
}

}  // namespace dorvik
