#include <gtest/gtest.h>

#include <climits>

#include "common/clock.h"
#include "common/gbk.h"
#include "common/text.h"

using namespace dorvik;

// "\xD5\x5C" is a GBK character whose trail byte is a backslash: it must never count as one.
TEST(Gbk, BackslashSearchSkipsTrailBytes) {
  const std::string path = "D:\\data\\\xD5\x5C";  // D:\data\ + one double-byte character
  EXPECT_EQ(FindLastChar(path, '\\'), 7u);
  EXPECT_EQ(LastPathComponent(path), "\xD5\x5C");
  EXPECT_EQ(DirectoryWithSlash("C:\\Program Files\\WinRAR\\rar.exe"), "C:\\Program Files\\WinRAR\\");
  EXPECT_EQ(DirectoryWithSlash("rar.exe"), "");
  EXPECT_EQ(LastPathComponent("C:\\web\\shop"), "shop");
  EXPECT_EQ(LastPathComponent("C:\\web\\"), "");
  EXPECT_EQ(FindFirstChar("\xD5\x5C\\x", '\\'), 2u);
}

TEST(Gbk, TrailingBackslashAddedOnce) {
  struct Row {
    const char* folder;
    const char* expected;
    const char* why;
  } rows[] = {
      {"D:\\bak", "D:\\bak\\", "added when missing"},
      {"D:\\bak\\", "D:\\bak\\", "never doubled"},
      {"D:\\\xD5\x5C", "D:\\\xD5\x5C\\", "a trail byte 0x5C is not a backslash"},
      {"", "\\", "an empty folder still gets one"},
  };
  for (const Row& row : rows) EXPECT_EQ(WithTrailingBackslash(row.folder), row.expected) << row.why;
  EXPECT_EQ(WithoutTrailingBackslash("D:\\bak\\"), "D:\\bak");
  EXPECT_EQ(WithoutTrailingBackslash("D:\\\xD5\x5C"), "D:\\\xD5\x5C") << "a trail byte stays";
}

TEST(Gbk, ReverseKeepsDoubleByteCharactersWhole) {
  EXPECT_EQ(ReverseChars("每周12"), "21" + ReverseChars("每周"));
  const std::string week = "每周";
  ASSERT_EQ(week.size(), 4u);  // two GBK characters
  EXPECT_EQ(ReverseChars(week), week.substr(2) + week.substr(0, 2));
  EXPECT_EQ(AsciiLower("ABC\xC4\x41"), "abc\xC4\x41");  // 0x41 after a lead byte is a trail byte
}

TEST(Text, ReplaceTrimSplitAndNumbers) {
  EXPECT_EQ(ReplaceAll("a.bak\\b.bak", ".bak", ".zip"), "a.zip\\b.zip");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(TrimRight("D:\\data  "), "D:\\data");
  EXPECT_EQ(TrimBoth("  E:\\x "), "E:\\x");
  EXPECT_EQ(TrimBoth("   "), "");
  EXPECT_EQ(LeadingNumber(" 12abc"), 12);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber("-3"), -3);
  EXPECT_EQ(LeadingNumber("99999999999999999999999"), LLONG_MAX);
  EXPECT_TRUE(HasLeadingNumber(" 3月"));
  EXPECT_FALSE(HasLeadingNumber("月3"));
  EXPECT_EQ(SplitNonEmpty(",,a, b,,c,", ','), (std::vector<std::string>{"a", " b", "c"}));
  EXPECT_TRUE(SplitNonEmpty("", ',').empty());
}

TEST(Clock, FormatsAndRoundTrips) {
  LocalTime t;
  t.year = 2024; t.month = 5; t.day = 1; t.hour = 8; t.minute = 30; t.second = 0;
  EXPECT_EQ(FormatLocalTime(t, "%Y%m%d%H%M%S"), "20240501083000");
  EXPECT_EQ(FormatLocalTime(t, "%Y-%m-%d %H:%M:%S"), "2024-05-01 08:30:00");
  EXPECT_EQ(DateFolderName(t), "2024-5-1");
  LocalTime back = FromEpochSeconds(ToEpochSeconds(t));
  EXPECT_EQ(FormatLocalTime(back, "%Y-%m-%d %H:%M:%S"), "2024-05-01 08:30:00");
  EXPECT_EQ(back.weekday, 3);  // a Wednesday
}

#include "common/wildcard.h"

TEST(Wildcard, WindowsMaskRules) {
  struct Case { const char* name; const char* mask; bool match; const char* why; } cases[] = {
      {"index.html", "index.*", true, "name with any extension"},
      {"index", "index.*", true, "x.* also matches x without extension"},
      {"INDEX.HTM", "index.*", true, "ASCII case ignored"},
      {"myindex.html", "index.*", false, "whole name must match"},
      {"readme", "*.*", true, "*.* matches names without a dot"},
      {"a.log", "*.log", true, "extension mask"},
      {"a.log.txt", "*.log", false, "extension must be last"},
      {"ab.c", "a?.c", true, "question mark is one character"},
      {"\xD5\x5C.txt", "?.txt", true, "a double-byte character is one character"},
      {"cache.txt", "cache.txt", true, "plain name"},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.why;
}
