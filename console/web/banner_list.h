#pragma once
// The banner at the bottom of the main window: the fetched list and the entry shown each tick.
#include <cstdint>
#include <string>
#include <vector>

#include "console/web/web_texts.h"

namespace dorvik {

struct BannerEntry {
  std::string strUrl;
  std::string strTitle;
  std::string strColor;
};

// The entries of a fetched banner list meant for this program, in order; the whole text is
// lower-cased first.
std::vector<BannerEntry> ParseBannerList(const std::string& text);

// The bottom line's text colour for a colour code, as 0x00BBGGRR.
std::uint32_t BannerColour(const std::string& code);

class CBannerRotation {
 public:
  explicit CBannerRotation(const WebTexts& texts);
  // An empty list (nothing fetched) shows the default text linking to the product page.
  void SetEntries(std::vector<BannerEntry> entries);
  // Moves to the next entry (the first after the last) and returns what is shown now.
  const BannerEntry& Tick();
  const BannerEntry& Current() const { return m_current; }
  // Where a click goes: the current link when it is a web address, else the product page.
  std::string ClickAddress() const;

 private:
  std::string m_strProductPage;
  std::string m_strDefaultText;
  std::vector<BannerEntry> m_entries;
  std::size_t m_nNext = 0;
  BannerEntry m_current;
};

}  // namespace dorvik
