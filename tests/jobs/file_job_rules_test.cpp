#include <gtest/gtest.h>

#include "jobs/file_job_filter.h"
#include "jobs/file_job_names.h"
#include "jobs/incomplete_output.h"
#include "tests/jobs/fixed_clock.h"

using namespace dorvik;

TEST(FileJobNames, WorkedExampleAndEdges) {
  struct Case { const char* source; const char* storage; LocalTime start; const char* archive;
                const char* copy; const char* logTime; const char* logFile; const char* why; } cases[] = {
      {"C:\\web\\shop", "D:\\bak", MakeLocalTime(2024, 5, 1, 8, 30, 0),
       "D:\\bak\\2024-5-1\\file_shop_20240501083000.zip", "D:\\bak\\2024-5-1\\file_shop_20240501083000",
       "2024-05-01 08:30:00", "2024_05_01.log", "the worked example: no leading zeros in the folder only"},
      {"C:\\web\\", "D:\\bak", MakeLocalTime(2024, 12, 31, 23, 59, 58),
       "D:\\bak\\2024-12-31\\file__20241231235958.zip", "D:\\bak\\2024-12-31\\file__20241231235958",
       "2024-12-31 23:59:58", "2024_12_31.log", "a source ending in a backslash has an empty name"},
      {"C:\\web\\my_site", "D:\\bak", MakeLocalTime(2024, 5, 1, 8, 30, 0),
       "D:\\bak\\2024-5-1\\file_my_site_20240501083000.zip", "D:\\bak\\2024-5-1\\file_my_site_20240501083000",
       "2024-05-01 08:30:00", "2024_05_01.log", "an underscore in the source name does not move the stamp"},
      {"shop", "D:\\bak", MakeLocalTime(2025, 1, 9, 0, 0, 7),
       "D:\\bak\\2025-1-9\\file_shop_20250109000007.zip", "D:\\bak\\2025-1-9\\file_shop_20250109000007",
       "2025-01-09 00:00:07", "2025_01_09.log", "a path without a backslash is its own name"},
      {"C:\\数据\\纜表", "D:\\备份", MakeLocalTime(2024, 5, 1, 8, 30, 0),
       "D:\\备份\\2024-5-1\\file_纜表_20240501083000.zip", "D:\\备份\\2024-5-1\\file_纜表_20240501083000",
       "2024-05-01 08:30:00", "2024_05_01.log", "Chinese names, one with a trail byte 0x7C"},
  };
  for (const Case& c : cases) {
    FileJobNames names = MakeFileJobNames(c.source, c.storage, c.start);
    EXPECT_EQ(names.strArchive, c.archive) << c.why;
    EXPECT_EQ(names.strCopyFolder, c.copy) << c.why;
    EXPECT_EQ(names.strLogTime, c.logTime) << c.why;
    EXPECT_EQ(names.strLogFileName, c.logFile) << c.why;
  }
}

TEST(IncompleteOutput, NamesOfAFailedRunsOutput) {
  struct Case { const char* output; const char* renamed; const char* why; } cases[] = {
      {"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip", "D:\\bak\\2024-5-1\\file_shop_20240501083000.incomplete.zip",
       "an archive keeps its ending"},
      {"D:\\bak\\2024-5-1\\file_shop_20240501083000", "D:\\bak\\2024-5-1\\file_shop_20240501083000.incomplete",
       "a copy folder"},
      {"D:\\bak\\2024-5-1\\file_my.site_20240501083000", "D:\\bak\\2024-5-1\\file_my.site_20240501083000.incomplete",
       "a dot in the source name is no ending"},
      {"D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.bak", "D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.incomplete.bak",
       "a SQL Server backup file"},
      {"D:\\x.zip\\2024-5-1\\db_a_20240501083000.ZIP", "D:\\x.zip\\2024-5-1\\db_a_20240501083000.incomplete.ZIP",
       "only the name's ending counts, in any case"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IncompleteOutputPath(c.output), c.renamed) << c.why;
    EXPECT_FALSE(IsIncompleteOutputName(c.output)) << c.why;
    EXPECT_TRUE(IsIncompleteOutputName(c.renamed)) << c.why;
  }
  EXPECT_FALSE(IsIncompleteOutputName("D:\\bak.incomplete\\2024-5-1\\file_shop_20240501083000.zip"))
      << "a folder on the way does not make the name";
}

TEST(FileFilter, MarkerWordsDecideWithPrecedence) {
  struct Case { const char* value; FilterScope scope; FilterDirection direction; int items; const char* why; } cases[] = {
      {"!所有文件/!@指定文件名/@#a,b/#$备份此文件/$", FilterScope::kAllFiles, FilterDirection::kNone, 0,
       "all files wins over everything else"},
      {"!指定文件/!@指定文件名/@#file,test.*/#$备份其它文件/$", FilterScope::kNames, FilterDirection::kExclude, 2,
       "names, all but these"},
      {"!指定文件/!@指定文件名/@#index/#$备份此类型/$", FilterScope::kNames, FilterDirection::kNone, 1,
       "a names list with a types direction has no direction"},
      {"!指定文件/!@指定类型/@#exe,,dll/#$备份此类型/$", FilterScope::kTypes, FilterDirection::kInclude, 2,
       "types; the empty item vanishes"},
      {"!指定文件/!@指定文件/@#a/#$备份此类型/$", FilterScope::kNoListKind, FilterDirection::kNone, 0,
       "no kind of list: the run ends"},
      {"garbage", FilterScope::kNoScope, FilterDirection::kNone, 0, "no scope at all"},
  };
  for (const Case& c : cases) {
    FileFilter filter = ParseFileFilter(c.value);
    EXPECT_EQ(filter.scope, c.scope) << c.why;
    EXPECT_EQ(filter.direction, c.direction) << c.why;
    EXPECT_EQ(filter.items.size(), static_cast<std::size_t>(c.items)) << c.why;
  }
  FileFilter blanks = ParseFileFilter("!指定文件/!@指定文件名/@# a ,b /#$备份此文件/$");
  EXPECT_EQ(blanks.items, (std::vector<std::string>{" a ", "b "})) << "blanks stay part of an item";

  std::string many;
  for (int i = 0; i < 1030; ++i) many += "f" + std::to_string(i) + ",";
  FileFilter capped = ParseFileFilter("!指定文件/!@指定文件名/@#" + many + "/#$备份此文件/$");
  EXPECT_EQ(capped.items.size(), 1024u);
  EXPECT_EQ(capped.nDroppedItems, 6u);
  EXPECT_EQ(capped.items.back(), "f1023");
}

TEST(FileFilter, NameAndTypeRules) {
  struct Case { const char* item; const char* name; const char* excludeName; const char* why; } names[] = {
      {"index", "index.*", "index.* ", "no dot"},
      {"a.com", "a.com.*", "a.com.* ", ".com looks like a host name"},
      {"my.cnf", "my.cnf.*", "my.cnf.* ", "contains .cn"},
      {"x.net", "x.net.*", "x.net.* ", ".net"},
      {"readme.txt", "readme.txt", "readme.txt", "a name with an extension stays"},
  };
  for (const Case& c : names) {
    EXPECT_EQ(ApplyNameRule(c.item), c.name) << c.why;
    EXPECT_EQ(ApplyNameRule(c.item, ".* "), c.excludeName) << c.why;
  }
  struct TypeCase { const char* item; bool ok; const char* mask; } types[] = {
      {"exe", true, "*.exe"}, {".dll", true, "*.dll"}, {"*.bak", true, "*.bak"},
      {"*exe", false, ""}, {"a*", false, ""}, {"log.1", true, "*log.1"},
  };
  for (const TypeCase& c : types) {
    std::string mask;
    EXPECT_EQ(ApplyTypeRule(c.item, &mask), c.ok) << c.item;
    if (c.ok) {
      EXPECT_EQ(mask, c.mask) << c.item;
    }
  }
}

TEST(FileFilter, ShellMetacharacters) {
  struct Case { const char* text; char found; const char* why; } cases[] = {
      {"*.log", 0, "a plain mask"},
      {"*.纜", 0, "the trail byte 0x7C of a Chinese character is not a pipe"},
      {"*.log&calc", '&', "command chaining"},
      {"*.log|x", '|', "a pipe"},
      {"a>b", '>', "redirection"},
      {"%PATH%", '%', "variable expansion"},
      {"a^b", '^', "escape"},
      {"(x)", '(', "grouping"},
      {"a\"b", '"', "a quote would end the argument"},
      {"!x!", '!', "delayed expansion"},
  };
  for (const Case& c : cases) EXPECT_EQ(FindShellMetacharacter(c.text), c.found) << c.why;
}
