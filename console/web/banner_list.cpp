#include "console/web/banner_list.h"

#include "common/gbk.h"
#include "common/text.h"
#include "config/document.h"
#include "console/web/web_address.h"

namespace dorvik {

namespace {

constexpr const char* kDefaultColour = "7";

std::vector<std::string> SplitAtDoubleHash(const std::string& text) {
  std::vector<std::string> pieces;
  std::string::size_type start = 0;
  for (auto at = text.find("##"); at != std::string::npos; at = text.find("##", start)) {
    pieces.push_back(text.substr(start, at - start));
    start = at + 2;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

bool IsMeantForUs(const std::string& entry) {
  for (const char* tag : {"<soft>", "<url>", "<title>", "<color>"}) {
    if (!Contains(entry, tag)) return false;
  }
  const std::string soft = GetTag(entry, "soft");
  return (Contains(soft, "*") || Contains(soft, "vnlsms")) && !Contains(soft, "!vnlsms");
}

}  // namespace

std::vector<BannerEntry> ParseBannerList(const std::string& text) {
  std::vector<std::string> kept;
  for (const std::string& piece : SplitAtDoubleHash(GetTag(AsciiLower(text), "vnlads"))) {
    if (piece.size() >= 8) kept.push_back(piece);
  }
  std::vector<BannerEntry> entries;
  // The first and the last long piece are the list's frame, not entries.
  for (std::size_t i = 1; i + 1 < kept.size(); ++i) {
    if (IsMeantForUs(kept[i]))
      entries.push_back({GetTag(kept[i], "url"), GetTag(kept[i], "title"), GetTag(kept[i], "color")});
  }
  return entries;
}

std::uint32_t BannerColour(const std::string& code) {
  auto rgb = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | g << 8 | b << 16; };
  if (code == "1") return rgb(255, 0, 0);
  if (code == "2") return rgb(0, 0, 255);
  if (code == "3") return rgb(0, 255, 0);
  if (code == "4") return rgb(130, 100, 20);
  if (code == "5") return rgb(255, 255, 255);
  return rgb(0, 0, 0);
}

CBannerRotation::CBannerRotation(const WebTexts& texts)
    : m_strProductPage(texts.strProductPage),
      m_strDefaultText(texts.strDefaultBanner),
      m_current{texts.strProductPage, texts.strDefaultBanner, kDefaultColour} {}

void CBannerRotation::SetEntries(std::vector<BannerEntry> entries) {
  m_entries = std::move(entries);
  m_nNext = 0;
}

const BannerEntry& CBannerRotation::Tick() {
  if (m_entries.empty()) {
    m_current = {m_strProductPage, m_strDefaultText, kDefaultColour};
  } else {
    if (m_nNext >= m_entries.size()) m_nNext = 0;
    m_current = m_entries[m_nNext++];
  }
  return m_current;
}

std::string CBannerRotation::ClickAddress() const {
  return WebAddressOr(m_current.strUrl, m_strProductPage);
}

}  // namespace dorvik
