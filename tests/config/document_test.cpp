#include <gtest/gtest.h>

#include "config/document.h"
#include "config/scramble.h"

using namespace dorvik;

TEST(Scramble, RoundTripsAndStaysInRange) {
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  for (int key : {0, 1, 173, 255, 1000}) {
    std::string stored = ScrambleText(all, key);
    ASSERT_EQ(stored.size(), 2 * all.size());
    for (unsigned char b : stored) {
      EXPECT_GE(b, 140);
      EXPECT_LE(b, 182);
    }
    EXPECT_EQ(UnscrambleText(stored, key), all) << "key " << key;
  }
  EXPECT_EQ(ScrambleText("abc").size(), 6u);
  EXPECT_EQ(UnscrambleText(ScrambleText("abc")), "abc");
  EXPECT_EQ(ScrambleText(""), "");
  EXPECT_EQ(UnscrambleText(""), "");
  EXPECT_EQ(UnscrambleText(ScrambleText("ab") + "\x90").size(), 3u);  // odd byte paired with 0
}

TEST(GetTagValue, FirstOccurrencesFromTheStart) {
  struct Case { const char* text; const char* expected; const char* why; } cases[] = {
      {"<a>1</a><a>2</a>", "1", "a field that occurs twice gives the first value"},
      {"</a><a>x</a>", "", "closing tag first, even though it occurs again later"},
      {"<a>open", "", "no closing tag"},
      {"", "", "empty text"},
      {"<a></a>", "", "empty value"},
      {"x<a>v</a>y", "v", "surrounding text"},
  };
  for (const Case& c : cases) EXPECT_EQ(GetTagValue(c.text, "<a>", "</a>"), c.expected) << c.why;
  EXPECT_EQ(GetTagValue("<a>1</a>", "", "</a>"), "");
  EXPECT_EQ(GetTag("<status>-</status>", "status"), "-");
}

TEST(SplitRecords, SeparatorsAndShortPieces) {
  struct Case { const char* content; std::vector<std::string> records; const char* why; } cases[] = {
      {"|||", {}, "a single separator holds no records"},
      {"", {}, "empty section"},
      {"abc", {}, "content without a separator"},
      {"||||||rec|||", {"rec"}, "doubled separator, one record, separator"},
      {"|||one|||two|||", {"one", "two"}, "two records in order"},
      {"|||ab|||cd|||", {}, "pieces shorter than 3 characters are dropped"},
  };
  for (const Case& c : cases) {
    std::string doc = std::string("<FileBackups>") + c.content + "</FileBackups>";
    EXPECT_EQ(SplitRecords("FileBackups", doc), c.records) << c.why;
  }
  // A value holding "|||" splits its record in two.
  EXPECT_EQ(SplitRecords("SqlBackups", "<SqlBackups>|||<id>1</id><x>a|||b</x>|||</SqlBackups>"),
            (std::vector<std::string>{"<id>1</id><x>a", "b</x>"}));
}
