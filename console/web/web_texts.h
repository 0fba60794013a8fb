#pragma once
// The five web texts of the console (product page, default banner text, banner list address,
// download page, update notice address), kept enciphered in the program and deciphered at start.
#include <string>

namespace dorvik {

struct WebTexts {
  std::string strProductPage;          // "关于我们", the About box link, the idle banner
  std::string strDefaultBanner;        // the bottom line when no banner list arrived
  std::string strBannerListAddress;
  std::string strDownloadPage;         // where Yes goes when the notice names no usable page
  std::string strUpdateNoticeAddress;
};

// Each text byte is stored as two characters; the bytes then run through a 16-bit key.
std::string DecipherWebText(const std::string& stored);
// The inverse, giving lower-case letters: how the built-in texts were made.
std::string EncipherWebText(const std::string& text);

WebTexts BuiltInWebTexts();

// An optional file beside the program that replaces some of the built-in texts without a
// rebuild: lines "N=text" with N from 1 to 5 in the order of WebTexts. Other lines are ignored.
constexpr const char* kWebTextsFileName = "webtexts.txt";
void ApplyWebTextOverrides(const std::string& fileContent, WebTexts* texts);

}  // namespace dorvik
