#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console/web/banner_list.h"
#include "console/web/update_notice.h"
#include "console/web/web_address.h"
#include "console/web/web_texts.h"

namespace dorvik {
namespace {

TEST(WebTexts, CipherFixedVectorsAndRoundTrip) {
  EXPECT_EQ(EncipherWebText("abc"), "etfsbv");
  EXPECT_EQ(DecipherWebText("etfsbv"), "abc");
  EXPECT_EQ(DecipherWebText("etfsbvx"), "abc") << "a last odd character carries no byte";
  EXPECT_EQ(DecipherWebText(""), "");
  // Pairs outside the letters the program writes still decode modulo 256.
  EXPECT_EQ(DecipherWebText("\xFF\xFF").size(), 1u);
  std::string everyByte;
  for (int b = 1; b < 256; ++b) everyByte += static_cast<char>(b);
  EXPECT_EQ(DecipherWebText(EncipherWebText(everyByte)), everyByte);

  const WebTexts texts = BuiltInWebTexts();
  EXPECT_EQ(texts.strProductPage, "http://www.varnel.cn");
  EXPECT_EQ(texts.strDefaultBanner, "Varnel·Dorvik系统V1.1版");
  EXPECT_EQ(texts.strBannerListAddress, "http://www.varnel.cn/soft/vnlads.asp");
  EXPECT_EQ(texts.strDownloadPage, "http://www.varnel.cn/download/dorvik.html");
  EXPECT_EQ(texts.strUpdateNoticeAddress, "http://www.varnel.cn/soft/dorvikver.asp");
}

TEST(WebTexts, OverrideFileReplacesNamedTextsOnly) {
  WebTexts texts = BuiltInWebTexts();
  ApplyWebTextOverrides("3=http://127.0.0.1:8080/ads\r\n# note\r\n5=http://127.0.0.1:8080/v?x=1\n"
                        "6=ignored\n2=横幅\n=\n",
                        &texts);
  EXPECT_EQ(texts.strProductPage, "http://www.varnel.cn");
  EXPECT_EQ(texts.strDefaultBanner, "横幅");
  EXPECT_EQ(texts.strBannerListAddress, "http://127.0.0.1:8080/ads");
  EXPECT_EQ(texts.strDownloadPage, "http://www.varnel.cn/download/dorvik.html");
  EXPECT_EQ(texts.strUpdateNoticeAddress, "http://127.0.0.1:8080/v?x=1");
}

TEST(UpdateNotice, VersionComparedAsBytes) {
  struct Case {
    const char* version;
    bool newer;
  } cases[] = {{"1.10", true}, {"2.0", true}, {"1.2", true}, {"1.1", false}, {"1.09", false},
               {"1.0", false},  {"", false},   {"2", false},  {"10", false}, {"1.1a", true}};
  for (const Case& c : cases) EXPECT_EQ(IsNewerVersion(c.version), c.newer) << c.version;

  const UpdateNotice notice = ParseUpdateNotice(
      "<VNLVersion>2.0</VNLVersion><VNLUpdateUrl>www.x.cn</VNLUpdateUrl>"
      "<VNLUpdateAbout>更快</VNLUpdateAbout>");
  EXPECT_EQ(notice.strUrl, "www.x.cn");
  EXPECT_EQ(UpdateQuestion(notice), "发现新版本:2.0\n\n 升级描述:\n 更快\n\n是否查看新的版本？");
}

TEST(WebAddress, OnlyWebPagesAreOpened) {
  struct Case {
    const char* address;
    bool web;
  } cases[] = {{"http://www.x.cn/a", true},  {"https://x.cn", true},
               {"www.x.cn/http://", false},  {"c:\\windows\\notepad.exe", false},
               {"file:///c:/x.exe", false},  {"", false},
               {" http://x.cn", false},      {"javascript:http://x", false}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsWebAddress(c.address), c.web) << c.address;
    EXPECT_EQ(WebAddressOr(c.address, "http://fallback"), c.web ? c.address : "http://fallback");
  }
}

TEST(WebAddress, RequestNumberParameter) {
  EXPECT_EQ(WithRequestNumber("http://x.cn/ads.asp", 39), "http://x.cn/ads.asp?rnum=39");
  EXPECT_EQ(WithRequestNumber("http://x.cn/ads.asp?a=1", 39), "http://x.cn/ads.asp?a=1&rnum=39");
  const int first = NextRequestNumber();
  EXPECT_EQ(NextRequestNumber(), first) << "reseeded before every request";
  EXPECT_GE(first, 1);
  EXPECT_LE(first, 998);
}

std::string Entry(const char* soft, const char* url, const char* title, const char* color) {
  return std::string("<soft>") + soft + "</soft><url>" + url + "</url><title>" + title +
         "</title><color>" + color + "</color>";
}

TEST(BannerList, FilteringAndOrder) {
  const std::string list = "<VNLADS>frame-head##" + Entry("*", "http://A.cn", "One", "1") + "##" +
                           Entry("vnlsms,!vnlsms", "http://b.cn", "hidden", "2") + "##" +
                           Entry("vnlsms", "http://c.cn", "Two", "3") + "##" + "short##" +
                           Entry("other", "http://d.cn", "not ours", "4") + "##" +
                           "<soft>*</soft><url>http://e.cn</url><title>no colour</title>##" +
                           Entry("*", "c:\\windows\\notepad.exe", "Three", "4") + "##" +
                           Entry("*", "http://f.cn", "frame tail counts as the last", "5") +
                           "</VNLADS>";
  const std::vector<BannerEntry> entries = ParseBannerList(list);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].strUrl, "http://a.cn") << "the whole text is lower-cased";
  EXPECT_EQ(entries[0].strTitle, "one");
  EXPECT_EQ(entries[1].strTitle, "two");
  EXPECT_EQ(entries[2].strTitle, "three");
  EXPECT_EQ(entries[2].strColor, "4");
  EXPECT_TRUE(ParseBannerList("no list at all").empty());
  EXPECT_TRUE(ParseBannerList("<vnlads>" + Entry("*", "http://a", "only", "1") + "</vnlads>").empty())
      << "a single piece is the frame's first and last at once";
}

TEST(BannerList, RotationDefaultAndClicks) {
  WebTexts texts = BuiltInWebTexts();
  CBannerRotation banner(texts);
  EXPECT_EQ(banner.Tick().strTitle, texts.strDefaultBanner);
  EXPECT_EQ(banner.Current().strColor, "7");
  EXPECT_EQ(banner.ClickAddress(), texts.strProductPage);

  banner.SetEntries({{"http://a.cn", "one", "1"}, {"c:\\evil.exe", "two", "2"}, {"", "three", "3"}});
  std::vector<std::string> shown;
  std::vector<std::string> clicks;
  for (int tick = 0; tick < 4; ++tick) {
    shown.push_back(banner.Tick().strTitle);
    clicks.push_back(banner.ClickAddress());
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"one", "two", "three", "one"}));
  EXPECT_EQ(clicks, (std::vector<std::string>{"http://a.cn", texts.strProductPage,
                                              texts.strProductPage, "http://a.cn"}))
      << "a link that is not a web page opens the product page instead";

  banner.SetEntries({{"http://b.cn", "new", "2"}});
  EXPECT_EQ(banner.Tick().strTitle, "new") << "a new list starts at its first entry";
  banner.SetEntries({});
  EXPECT_EQ(banner.Tick().strTitle, texts.strDefaultBanner);
}

TEST(BannerList, Colours) {
  struct Case {
    const char* code;
    std::uint32_t bgr;
  } cases[] = {{"7", 0x000000}, {"1", 0x0000FF}, {"2", 0xFF0000}, {"3", 0x00FF00},
               {"4", 0x146482}, {"5", 0xFFFFFF}, {"9", 0x000000}, {"", 0x000000}};
  for (const Case& c : cases) EXPECT_EQ(BannerColour(c.code), c.bgr) << c.code;
}

}  // namespace
}  // namespace dorvik
