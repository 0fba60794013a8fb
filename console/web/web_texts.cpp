#include "console/web/web_texts.h"

#include <cstdint>

#include "common/text.h"

namespace dorvik {

namespace {

constexpr std::uint16_t kStartKey = 0x3E9A;
constexpr std::uint16_t kKeyFactor = 0x5BD1;
constexpr std::uint16_t kKeyAddend = 0x2E6F;

std::uint16_t NextKey(unsigned char cipherByte, std::uint16_t key) {
  return static_cast<std::uint16_t>((cipherByte + key) * kKeyFactor + kKeyAddend);
}

const char* const kStoredTexts[5] = {
    "ekgudpeybtilcnhrazgrhxacercweqgufzarfvex",
    "fcdccigibtjcgqhnecheeddhjihcbnaydlawdihagzgujdhx",
    "ekgudpeybtilcnhrazgrhxacercweqgufzarfvexdfithziyapiyaramcjhoihgojjfaibfd",
    "ekgudpeybtilcnhrazgrhxacercweqgufzarfvexdfjcfshwadgdfzhuhyisjlimexgyaoirgccbahgcfh",
    "ekgudpeybtilcnhrazgrhxacercweqgufzarfvexdfithziyapiyadatddhmasfcfwbxirajdpgkfy",
};

std::string* TextNumber(WebTexts* texts, int number) {
  std::string* const fields[] = {&texts->strProductPage, &texts->strDefaultBanner,
                                 &texts->strBannerListAddress, &texts->strDownloadPage,
                                 &texts->strUpdateNoticeAddress};
  return number >= 1 && number <= 5 ? fields[number - 1] : nullptr;
}

}  // namespace

std::string DecipherWebText(const std::string& stored) {
  std::string text;
  std::uint16_t key = kStartKey;
  // A last character without a partner carries no byte.
  for (std::size_t i = 0; i + 1 < stored.size(); i += 2) {
    const unsigned char first = static_cast<unsigned char>(stored[i]);
    const unsigned char second = static_cast<unsigned char>(stored[i + 1]);
    const unsigned char cipherByte = static_cast<unsigned char>(second + 26 * first - 87);
    text += static_cast<char>(cipherByte ^ (key >> 8));
    key = NextKey(cipherByte, key);
  }
  return text;
}

std::string EncipherWebText(const std::string& text) {
  std::string stored;
  std::uint16_t key = kStartKey;
  for (char c : text) {
    const unsigned char cipherByte = static_cast<unsigned char>(static_cast<unsigned char>(c) ^ (key >> 8));
    key = NextKey(cipherByte, key);
    // Two letters 'a' + i and 'a' + j decipher to 228 + 26 i + j (mod 256).
    const int shifted = (cipherByte + 28) % 256;
    stored += static_cast<char>('a' + shifted / 26);
    stored += static_cast<char>('a' + shifted % 26);
  }
  return stored;
}

WebTexts BuiltInWebTexts() {
  WebTexts texts;
  for (int number = 1; number <= 5; ++number)
    *TextNumber(&texts, number) = DecipherWebText(kStoredTexts[number - 1]);
  return texts;
}

void ApplyWebTextOverrides(const std::string& fileContent, WebTexts* texts) {
  for (std::string line : SplitNonEmpty(fileContent, '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 2 || line[1] != '=') continue;
    if (std::string* text = TextNumber(texts, line[0] - '0')) *text = line.substr(2);
  }
}

}  // namespace dorvik
