#include <gtest/gtest.h>

#include <algorithm>

#include "tests/common/fake_file_system.h"
#include "tools/rar/selection.h"

using namespace dorvik;
using namespace dorvik::rar;

namespace {

// C:\web\shop holds a small site; 中文 and 数据 are GBK names ("\xD5\x5C" has 0x5C as trail byte).
void MakeSite(CFakeFileSystem& fs) {
  fs.AddFile("C:\\web\\shop\\index.html", "i");
  fs.AddFile("C:\\web\\shop\\index.php", "p");
  fs.AddFile("C:\\web\\shop\\cache.txt", "c");
  fs.AddFile("C:\\web\\shop\\logs\\a.log", "l");
  fs.AddFile("C:\\web\\shop\\img\\index.png", "g");
  fs.AddFile("C:\\web\\shop\\中文\\数据.txt", "z");
  fs.AddFile("C:\\web\\shop\\\xD5\x5C\\x.txt", "t");
  fs.AddFolder("C:\\web\\shop\\empty");
}

std::vector<std::string> Names(const Selection& s) {
  std::vector<std::string> names;
  for (const SelectedItem& item : s.items) names.push_back(item.entryName);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(RarSelection, NamesFollowTheFormOfEachSource) {
  CFakeFileSystem fs;
  MakeSite(fs);
  const std::string zh = u8"中文", data = u8"数据";
  const std::string trailName = fs.NameToUtf8("\xD5\x5C");
  struct Row {
    std::vector<std::string> sources;
    bool bRecurse;
    std::vector<std::string> excludes;
    std::vector<std::string> names;
    const char* why;
  } rows[] = {
      {{"C:\\web\\shop"}, true, {},
       {"shop/", "shop/cache.txt", "shop/empty/", "shop/img/", "shop/img/index.png", "shop/index.html",
        "shop/index.php", "shop/logs/", "shop/logs/a.log", "shop/" + trailName + "/",
        "shop/" + trailName + "/x.txt", "shop/" + zh + "/", "shop/" + zh + "/" + data + ".txt"},
       "a folder: its tree, names start with the folder's own name"},
      {{"C:\\web\\shop\\"}, true, {"logs.*", "cache.txt", "中文", "\xD5\x5C", "empty"},
       {"shop/", "shop/img/", "shop/img/index.png", "shop/index.html", "shop/index.php"},
       "trailing backslash; -x masks drop files and whole folders, GBK names included"},
      {{"C:\\web\\shop\\index.*"}, true, {},
       {"img/index.png", "index.html", "index.php"}, "folder\\mask with -r: matches in subfolders too"},
      {{"C:\\web\\shop\\index.*"}, false, {}, {"index.html", "index.php"}, "without -r: the folder only"},
      {{"C:\\web\\shop\\*.*"}, true, {"logs.*", "cache.txt", "中文", "\xD5\x5C"},
       {"empty/", "img/", "img/index.png", "index.html", "index.php"},
       "*.* takes folders as entries; names relative to the folder"},
      {{"C:\\web\\shop\\img\\index.png", "C:\\web\\shop\\cache.txt"}, true, {},
       {"cache.txt", "index.png"}, "single files under their own names"},
      {{"C:\\web\\shop\\*.*"}, true, {"img\\*.png", "logs", "cache.txt", "中文", "\xD5\x5C"},
       {"empty/", "img/", "index.html", "index.php"}, "a mask with a separator matches the relative path"},
  };
  for (const Row& row : rows) {
    Selection s = SelectFiles(fs, row.sources, row.bRecurse, row.excludes, nullptr);
    std::vector<std::string> expected = row.names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(s), expected) << row.why;
  }
}

TEST(RarSelection, ReportsSourcesThatNameNothingAndSkipsTheArchive) {
  CFakeFileSystem fs;
  MakeSite(fs);
  fs.AddFile("C:\\web\\shop\\site.zip", "old archive");
  Selection s = SelectFiles(fs, {"C:\\web\\shop\\*.zip", "C:\\web\\nothing", "C:\\web\\shop\\*.xyz"}, true, {},
                            [](const std::string& path) { return path == "C:\\web\\shop\\site.zip"; });
  EXPECT_TRUE(s.items.empty());
  EXPECT_EQ(s.missing, (std::vector<std::string>{"C:\\web\\shop\\*.zip", "C:\\web\\nothing", "C:\\web\\shop\\*.xyz"}));
}
