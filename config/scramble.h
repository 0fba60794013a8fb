#pragma once
// The byte-pair scrambling of config.db: every text byte becomes two stored bytes in 140..182.
#include <string>

namespace dorvik {

constexpr int kConfigKey = 173;

std::string ScrambleText(const std::string& text, int key = kConfigKey);
// A final odd byte is paired with a zero byte.
std::string UnscrambleText(const std::string& stored, int key = kConfigKey);

}  // namespace dorvik
