#include "config/scramble.h"

namespace dorvik {

std::string ScrambleText(const std::string& text, int key) {
  std::string out;
  out.reserve(text.size() * 2);
  const int a = key % 11 + 91;
  const int b = key % 13 + 89;
  for (unsigned char d : text) {
    int hi = d >> 4, lo = d & 0x0F;
    out.push_back(static_cast<char>(static_cast<unsigned char>((hi - a - lo) & 0xFF)));
    out.push_back(static_cast<char>(static_cast<unsigned char>((lo - b) & 0xFF)));
  }
  return out;
}

std::string UnscrambleText(const std::string& stored, int key) {
  std::string out;
  out.reserve(stored.size() / 2 + 1);
  const int a = key % 11 + 91;
  const int b = key % 13 + 89;
  for (std::string::size_type i = 0; i < stored.size(); i += 2) {
    int b0 = static_cast<unsigned char>(stored[i]);
    int b1 = i + 1 < stored.size() ? static_cast<unsigned char>(stored[i + 1]) : 0;
    int lo = (b + b1) & 0xFF;
    int d = (((a + b0 + lo) << 4) | (lo & 0x0F)) & 0xFF;
    out.push_back(static_cast<char>(static_cast<unsigned char>(d)));
  }
  return out;
}

}  // namespace dorvik
