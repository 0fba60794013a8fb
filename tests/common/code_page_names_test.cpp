// File names at the edges where they change form: UTF-8 (ZIP), UTF-16 (the W functions), the
// narrow GBK form with its private escapes, and the long path form (natively and under Wine).
#include <gtest/gtest.h>

#include "common/code_page_names.h"
#include "common/code_page_utf.h"
#include "common/file_system_long_path.h"

using namespace dorvik;

TEST(CodePageNames, Utf8AndUtf16) {
  struct Row {
    const char* utf8;
    std::u16string wide;
    const char* why;
  } rows[] = {
      {"plain.txt", u"plain.txt", "ASCII"},
      {"\xC3\xA9\xE4\xB8\xAD", u"\u00E9\u4E2D", "two and three bytes"},
      {"emoji_\xF0\x9F\x98\x80.txt", u"emoji_\U0001F600.txt", "four bytes: a surrogate pair"},
      {"\xED\xA0\x80x", std::u16string(u"\xD800x"), "an unpaired surrogate NTFS allows, WTF-8"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Utf16ToUtf8(row.wide), row.utf8) << row.why;
    std::u16string wide;
    EXPECT_TRUE(Utf8ToUtf16(row.utf8, &wide)) << row.why;
    EXPECT_EQ(wide, row.wide) << row.why;
  }
  struct Bad {
    const char* utf8;
    const char* why;
  } bad[] = {
      {"\xC0\xAF", "overlong '/'"},
      {"\xE0\x80\xAE", "overlong '.'"},
      {"\xF4\x90\x80\x80", "past U+10FFFF"},
      {"ab\xC3", "cut at the end"},
      {"\x80x", "a stray continuation byte"},
      {"\xE4\xB8x", "a missing continuation byte"},
      {"\xED\xA0\xBD\xED\xB8\x80", "a pair spelled as two three-byte forms"},
      {"\xFF", "never a UTF-8 byte"},
  };
  for (const Bad& row : bad) {
    std::u16string wide;
    EXPECT_FALSE(Utf8ToUtf16(row.utf8, &wide)) << row.why;
  }
}

TEST(CodePageNames, NarrowFormAndBack) {
  struct Row {
    std::u16string wide;
    std::string narrow;
    const char* why;
  } rows[] = {
      {u"index.html", "index.html", "ASCII as it is"},
      {u"数据 目录\\报告.txt", "数据 目录\\报告.txt", "GBK as it is"},
      {u"name.", "name.", "a trailing dot is just a byte"},
      {u"emoji_\U0001F600.txt", "emoji_\xFF" "D83D\xFF" "DE00.txt", "one escape per UTF-16 unit"},
      {u"korean_\uD55C\uAD6D\uC5B4.txt", "korean_\xFF" "D55C\xFF" "AD6D\xFF" "C5B4.txt", "Hangul: not in GBK"},
      {u"中\U0001F600文", "中\xFF" "D83D\xFF" "DE00文", "GBK around an escape"},
      {std::u16string(u"a\xDC00"), "a\xFF" "DC00", "an unpaired surrogate"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(NarrowName(row.wide), row.narrow) << row.why;
    std::u16string wide;
    EXPECT_TRUE(WideName(row.narrow, &wide)) << row.why;
    EXPECT_EQ(wide, row.wide) << row.why;
  }
  std::string utf8, narrow;
  ASSERT_TRUE(NarrowNameToUtf8("数_\xFF" "D83D\xFF" "DE00", &utf8));
  EXPECT_EQ(utf8, "\xE6\x95\xB0_\xF0\x9F\x98\x80") << "GBK and escapes to UTF-8 in one name";
  ASSERT_TRUE(NarrowNameFromUtf8(utf8, &narrow));
  EXPECT_EQ(narrow, "数_\xFF" "D83D\xFF" "DE00");
  EXPECT_FALSE(NarrowNameFromUtf8("\xC0\xAF", &narrow)) << "malformed UTF-8";

  struct Bad {
    std::string narrow;
    const char* why;
  } bad[] = {
      {"x\xFF" "D83", "an escape cut short"},
      {"x\xFF" "d83d", "lower-case hex: a second spelling"},
      {"\xFF" "0041", "an escape of a letter GBK spells"},
      {"a\xFF" "005C" "b", "a hidden backslash"},
      {"\xFF" "002E\xFF" "002E", "a hidden \"..\""},
      {"\xFF" "4E2D", "an escape of a Chinese character GBK spells"},
      {"ab\xD6", "a lone GBK lead byte"},
      {"\xD6\xFF" "D83D", "a lead byte swallowed by an escape"},
  };
  for (const Bad& row : bad) {
    std::u16string wide;
    EXPECT_FALSE(WideName(row.narrow, &wide)) << row.why;
    EXPECT_FALSE(NarrowNameToUtf8(row.narrow, &utf8)) << row.why;
  }
}

TEST(CodePageNames, LongPathForm) {
  const std::u16string current = u"Z:\\work\\run";
  struct Row {
    std::u16string path;
    std::u16string expected;
    const char* why;
  } rows[] = {
      {u"C:\\data\\name. ", u"\\\\?\\C:\\data\\name. ", "trailing dots and blanks kept"},
      {u"C:/data//x\\.\\y\\..\\z\\", u"\\\\?\\C:\\data\\x\\z", "what the system would resolve"},
      {u"C:\\", u"\\\\?\\C:\\", "a drive root keeps its backslash"},
      {u"C:\\..\\..", u"\\\\?\\C:\\", "never above the root"},
      {u"\\\\srv\\share\\dir\\f", u"\\\\?\\UNC\\srv\\share\\dir\\f", "UNC"},
      {u"\\\\srv\\share\\..\\..\\x", u"\\\\?\\UNC\\srv\\share\\x", "never above the share"},
      {u"\\\\?\\C:\\x\\..\\y", u"\\\\?\\C:\\x\\..\\y", "already long: as it is"},
      {u"\\\\.\\pipe\\x", u"\\\\.\\pipe\\x", "a device path as it is"},
      {u"tree\\a.", u"\\\\?\\Z:\\work\\run\\tree\\a.", "relative to the current folder"},
      {u"..\\b", u"\\\\?\\Z:\\work\\b", "relative, one up"},
      {u"\\top", u"\\\\?\\Z:\\top", "rooted on the current drive"},
      {u"Z:sub", u"\\\\?\\Z:\\work\\run\\sub", "the current drive, relative"},
      {u"D:sub", u"\\\\?\\D:\\sub", "another drive: its root"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(LongPathForm(row.path, current), row.expected) << row.why;
  }
  EXPECT_EQ(WithoutLongPrefix(u"\\\\?\\C:\\a"), u"C:\\a");
  EXPECT_EQ(WithoutLongPrefix(u"\\\\?\\UNC\\srv\\s\\a"), u"\\\\srv\\s\\a");
  EXPECT_EQ(WithoutLongPrefix(u"C:\\a"), u"C:\\a");
}
