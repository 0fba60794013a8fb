#include "console/core/settings_values.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "console/core/archiver_choice.h"

namespace dorvik {
namespace {

const char* const kFiles[] = {"d:\\tools\\rar.exe", "c:\\program files\\winrar\\winrar.exe",
                              "c:\\x\\unrar.exe", "D:\\WinRAR\\Rar.exe", "D:\\WinRAR\\RAR.EXE",
                              "c:\\工具\\rar.exe"};
const char* const kFolders[] = {"E:\\bak", "E:\\备份"};

bool FileExists(const std::string& path) {
  return std::find(std::begin(kFiles), std::end(kFiles), path) != std::end(kFiles);
}
bool FolderExists(const std::string& path) {
  return std::find(std::begin(kFolders), std::end(kFolders), path) != std::end(kFolders);
}

TEST(ArchiverPathCheck, BothDialogsShareTheRoutineAndDifferInTheName) {
  using R = ArchiverNameRule;
  using C = ArchiverPathCheck;
  struct Case {
    const char* path;
    R rule;
    C want;
    const char* why;
  } cases[] = {
      {"D:\\WinRAR\\Rar.exe", R::FirstStart, C::Accepted, "first start: Rar.exe spelling"},
      {"D:\\WinRAR\\RAR.EXE", R::FirstStart, C::Misnamed, "first start is case-sensitive"},
      {"c:\\x\\unrar.exe", R::FirstStart, C::Accepted, "first start: any name containing rar.exe"},
      {"c:\\gone\\rar.exe", R::FirstStart, C::Missing, "first start: a missing file"},
      {"", R::FirstStart, C::Misnamed, "first start: empty"},
      {"d:\\tools\\rar.exe", R::Settings, C::Accepted, "settings: \\rar.exe"},
      {"c:\\program files\\winrar\\winrar.exe", R::Settings, C::Accepted,
       "settings: WinRAR's graphical program"},
      {"c:\\x\\unrar.exe", R::Settings, C::Misnamed, "settings: the name must follow a backslash"},
      {"c:\\gone\\rar.exe", R::Settings, C::Missing, "settings: named well, but missing"},
      {"c:\\工具\\rar.exe", R::Settings, C::Accepted, "settings: a Chinese folder"},
      // 0x5C as the trail byte of a double-byte character is no folder separator.
      {"c:\\x\x81\\rar.exe", R::Settings, C::Misnamed, "settings: a trail byte 0x5C"},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckArchiverPath(c.path, c.rule, FileExists), c.want) << c.why;
}

TEST(SettingsValues, ChecksInOrderWithTheirMessages) {
  struct Case {
    const char* rar;
    const char* store;
    const char* message;
    const char* stored;
    const char* why;
  } cases[] = {
      {"D:\\Tools\\RAR", "", "", "d:\\tools\\rar.exe", "no extension: .exe added, lower-cased"},
      {"C:\\Program Files\\WinRAR\\WinRAR.exe", "E:\\bak", "",
       "c:\\program files\\winrar\\winrar.exe", "winrar.exe accepted"},
      {"C:\\工具\\RAR.EXE", "E:\\备份", "", "c:\\工具\\rar.exe", "Chinese kept, ASCII lowered"},
      {"D:\\Tools\\7z.exe", "", "rar路径不存在。", "d:\\tools\\7z.exe", "not an archiver name"},
      {"", "", "rar路径不存在。", ".exe", "empty: .exe names nothing"},
      {"D:\\Gone\\rar.exe", "E:\\nowhere", "rar路径不存在.", "d:\\gone\\rar.exe",
       "the missing file is reported before the folder"},
      {"D:\\Tools\\rar.exe", "E:\\nowhere", "设置的默认路径不存在", "d:\\tools\\rar.exe",
       "a missing folder blocks the valid archiver too"},
      {"D:\\Tools\\rar", "E:\\bak", "", "d:\\tools\\rar.exe", "both saved"},
  };
  for (const Case& c : cases) {
    const SettingsValues v = CheckSettings(c.rar, c.store, FileExists, FolderExists);
    EXPECT_EQ(v.strMessage, c.message) << c.why;
    EXPECT_EQ(v.strRarPath, c.stored) << c.why;
  }
  // "." anywhere counts as an extension, even in a folder name.
  EXPECT_EQ(NormaliseTypedArchiverPath("D:\\v1.2\\RAR"), "d:\\v1.2\\rar");
}

TEST(SettingsValues, ApplyReplacesTheStoredValuesByteForByte) {
  const std::string document =
      "<rarpath>C:\\Program Files\\WinRAR\\rar.exe</rarpath><defStorePath>E:\\old</defStorePath>"
      "<FileBackups>|||<DesPath>E:\\old</DesPath>|||</FileBackups><SqlBackups>|||</SqlBackups>";
  SettingsValues both{"", "d:\\tools\\rar.exe", "E:\\备份"};
  EXPECT_EQ(ApplySettings(document, both),
            "<rarpath>d:\\tools\\rar.exe</rarpath><defStorePath>E:\\备份</defStorePath>"
            "<FileBackups>|||<DesPath>E:\\old</DesPath>|||</FileBackups><SqlBackups>|||</SqlBackups>");
  SettingsValues rarOnly{"", "d:\\tools\\rar.exe", ""};
  EXPECT_EQ(ApplySettings(document, rarOnly),
            "<rarpath>d:\\tools\\rar.exe</rarpath><defStorePath>E:\\old</defStorePath>"
            "<FileBackups>|||<DesPath>E:\\old</DesPath>|||</FileBackups><SqlBackups>|||</SqlBackups>")
      << "an empty folder field keeps the stored folder";
}

}  // namespace
}  // namespace dorvik
