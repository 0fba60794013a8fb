// Retention deletes only what is the task's own: links planted in its folders, project names
// the file system would resolve elsewhere, and backup names another task can claim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/project_name.h"
#include "service/retention.h"
#include "tests/common/fake_file_system.h"
#include "tests/jobs/fixed_clock.h"

namespace dorvik {
namespace {

const char kLogFolder[] = "C:\\Dorvik\\Log";  // holds no log here
const std::int64_t kOld = 1704153600;  // 2024-01-02, long expired at the pass below
// A task's newest backup always stays: fresh backups make the old ones deletable.
const std::int64_t kFresh = ToEpochSeconds(MakeLocalTime(2024, 5, 8, 2, 0, 0));

std::string FileTask(const std::string& source, const std::string& storage, const std::string& rule) {
  return "<SouPath>" + source + "</SouPath>    <DesPath>" + storage + "</DesPath>    <strissave>" + rule +
         "</strissave>";
}

std::string SqlTask(const std::string& storage, const std::string& project, const std::string& rule) {
  return "<despath>" + storage + "</despath>    <projectname>" + project + "</projectname>    <issave>" + rule +
         "</issave>";
}

std::string Document(const std::vector<std::string>& fileTasks, const std::vector<std::string>& sqlTasks) {
  std::string files = "|||", sql = "|||";
  for (const std::string& task : fileTasks) files += task + "|||";
  for (const std::string& task : sqlTasks) sql += task + "|||";
  return "<FileBackups>" + files + "</FileBackups><SqlBackups>" + sql + "</SqlBackups>";
}

void RunBothPasses(const std::string& document, CFakeFileSystem& fs) {
  CFixedClock clock(MakeLocalTime(2024, 5, 9, 12, 0, 0));
  CleanSqlBackups(document, kLogFolder, fs, clock);
  CleanFileBackups(document, kLogFolder, fs, clock);
}

TEST(RetentionScope, LinksAreRemovedNeverFollowed) {
  struct Case {
    const char* link;
    const char* why;
  } cases[] = {
      {"E:\\sql\\nightly\\2020-1-1\\latest", "inside an expired SQL date folder"},
      {"E:\\sql\\nightly\\2020-1-2", "an expired SQL date folder that is a link"},
      {"E:\\bak\\2020-1-1\\file_shop_20200101020001", "a file task's copy folder name"},
      {"E:\\bak\\2020-1-1\\file_shop_20200101020000\\sub", "inside a copy folder"},
  };
  for (const Case& c : cases) {
    CFakeFileSystem fs;
    fs.AddFile("E:\\sql\\nightly\\2020-1-1\\db_a_20200101030000.bak", "b", kOld);
    fs.AddFile("E:\\bak\\2020-1-1\\file_shop_20200101020000\\a.txt", "a", kOld);
    fs.AddFile("F:\\other\\keep.txt", "k", kOld);
    fs.AddFile("E:\\sql\\nightly\\2024-5-8\\db_a_20240508030000.bak", "b", kFresh);
    fs.AddFile("E:\\bak\\2024-5-8\\file_shop_20240508020000.zip", "z", kFresh);
    fs.AddLink(c.link, "F:\\other");
    RunBothPasses(Document({FileTask("D:\\shop", "E:\\bak", "删除7天以前的")},
                           {SqlTask("E:\\sql", "nightly", "删除7天以前的")}),
                  fs);
    EXPECT_EQ(fs.ListTree("F:\\other"), std::vector<std::string>{"F:\\other\\keep.txt"}) << c.why;
    EXPECT_TRUE(fs.Exists("F:\\other")) << c.why;
    EXPECT_FALSE(fs.Exists(c.link)) << c.why << ": the link itself goes";
    EXPECT_EQ(fs.ListTree("E:\\sql\\nightly"),
              (std::vector<std::string>{"E:\\sql\\nightly\\2024-5-8",
                                        "E:\\sql\\nightly\\2024-5-8\\db_a_20240508030000.bak"}))
        << c.why;
    EXPECT_EQ(fs.ListTree("E:\\bak"),
              (std::vector<std::string>{"E:\\bak\\2024-5-8",
                                        "E:\\bak\\2024-5-8\\file_shop_20240508020000.zip"}))
        << c.why;
  }
}

TEST(RetentionScope, LinkedFoldersOfATaskAreNotItsOwn) {
  CFakeFileSystem fs;
  fs.AddFile("F:\\other\\2020-1-1\\file_shop_20200101020000.zip", "z", kOld);
  fs.AddFile("F:\\other\\2020-1-1\\db_x.bak", "b", kOld);
  fs.AddFolder("E:\\bak");
  fs.AddLink("E:\\bak\\2020-1-1", "F:\\other\\2020-1-1");  // a file task's date folder
  fs.AddLink("E:\\sql\\nightly", "F:\\other");               // a SQL task's project folder
  fs.AddFile("G:\\real\\2020-1-1\\file_crm_20200101020000.zip", "z", kOld);
  fs.AddFile("G:\\real\\2024-5-8\\file_crm_20240508020000.zip", "z", kFresh);
  fs.AddLink("E:\\alias", "G:\\real");                       // a storage folder that is a link
  const std::vector<std::string> before = fs.ListTree("F:\\other");
  RunBothPasses(Document({FileTask("D:\\shop", "E:\\bak", "删除7天以前的"),
                          FileTask("D:\\crm", "E:\\alias", "删除7天以前的")},
                         {SqlTask("E:\\sql", "nightly", "删除7天以前的")}),
                fs);
  EXPECT_EQ(fs.ListTree("F:\\other"), before);
  EXPECT_TRUE(fs.Exists("E:\\bak\\2020-1-1")) << "a linked date folder is neither followed nor removed";
  EXPECT_EQ(fs.ListTree("G:\\real"),
            (std::vector<std::string>{"G:\\real\\2024-5-8", "G:\\real\\2024-5-8\\file_crm_20240508020000.zip"}))
      << "a storage folder reached through a link is still the task's own";
}

TEST(RetentionScope, SqlProjectFoldersThatAreNotTheTasksOwn) {
  struct Case {
    std::vector<std::string> sqlTasks;
    std::vector<std::string> fileTasks;
    const char* why;
  } cases[] = {
      {{SqlTask("E:\\sql", ".", "删除1天以前的")}, {}, "\".\": the storage folder itself"},
      {{SqlTask("E:\\sql\\a", "..", "删除1天以前的")}, {}, "\"..\": its parent"},
      {{SqlTask("E:\\sql", "keep.", "删除1天以前的")}, {}, "a trailing dot Windows drops"},
      {{SqlTask("E:\\sql", "keep ", "删除1天以前的")}, {}, "a trailing blank Windows drops"},
      {{SqlTask("E:", "sql\\keep", "删除1天以前的")}, {}, "a separator"},
      {{SqlTask("E:\\sql", "keep", "删除1天以前的"), SqlTask("E:\\sql", "KEEP", "保留")}, {},
       "another task's project folder"},
      {{SqlTask("E:\\sql", "keep", "删除1天以前的")}, {FileTask("D:\\x", "E:\\sql\\keep", "保留")},
       "a file task's storage folder"},
      {{SqlTask("E:\\sql", "alias", "删除1天以前的")}, {}, "a link to another project folder"},
      {{SqlTask("E:\\sql\\k\x81", "eep", "删除1天以前的")}, {}, "a storage path that is not GBK"},
  };
  for (const Case& c : cases) {
    CFakeFileSystem fs;
    fs.AddFile("E:\\sql\\2020-1-1\\db_other_20200101030000.bak", "b", kOld);
    fs.AddFile("E:\\sql\\keep\\2020-1-1\\db_keep_20200101030000.bak", "b", kOld);
    fs.AddFolder("E:\\sql\\a");
    fs.AddLink("E:\\sql\\alias", "E:\\sql\\keep");
    const std::vector<std::string> before = fs.ListTree("E:\\sql");
    RunBothPasses(Document(c.fileTasks, c.sqlTasks), fs);
    EXPECT_EQ(fs.ListTree("E:\\sql"), before) << c.why;
  }
}

TEST(RetentionScope, TasksWhoseBackupsShareNames) {
  struct Case {
    std::vector<std::string> tasks;
    bool bDeleted;
    const char* why;
    std::string backup = "file_htdocs_20200101020000.zip";
  } cases[] = {
      {{FileTask("D:\\site1\\htdocs", "E:\\bak", "删除1天以前的"), FileTask("D:\\site2\\htdocs", "E:\\bak", "保留")},
       false, "another task keeps everything under the same names"},
      {{FileTask("D:\\site1\\htdocs", "E:\\bak", "删除1天以前的"),
        FileTask("D:\\site2\\HTDOCS", "E:\\BAK\\", "删除30天以前的")},
       false, "another rule, the same names as the file system sees them"},
      {{FileTask("D:\\site1\\htdocs", "E:\\bak", "删除1天以前的"), FileTask("D:\\site2\\htdocs", "E:\\bak", "删除1天以前的")},
       true, "the same rule: either pass deletes the same"},
      {{FileTask("D:\\site1\\htdocs", "E:\\bak", "删除1天以前的"), FileTask("D:\\site2\\htdocs", "E:\\other", "保留")},
       true, "another storage folder"},
      {{FileTask("D:\\", "E:\\bak", "删除1天以前的"), FileTask("F:\\", "E:\\bak", "保留")}, false,
       "two drive roots: both sources have an empty name", "file__20200101020000.zip"},
      {{FileTask("D:\\", "E:\\bak", "删除1天以前的"), FileTask("D:\\site2\\htdocs", "E:\\bak", "保留")}, true,
       "a drive root's backups are told apart from named ones", "file__20200101020000.zip"},
  };
  for (const Case& c : cases) {
    CFakeFileSystem fs;
    fs.AddFile("E:\\bak\\2020-1-1\\" + c.backup, "z", kOld);
    std::string fresh = c.backup;
    fs.AddFile("E:\\bak\\2024-5-8\\" + fresh.replace(fresh.find("_2020") + 1, 8, "20240508"), "z", kFresh);
    fs.AddFolder("E:\\other");
    RunBothPasses(Document(c.tasks, {}), fs);
    EXPECT_EQ(fs.Exists("E:\\bak\\2020-1-1\\" + c.backup), !c.bDeleted) << c.why;
  }
}

TEST(RetentionScope, BackupNamesAndRules) {
  struct NameCase {
    const char* entry;
    const char* source;
    bool bOwn;
  } names[] = {
      {"file_shop_20240501020000.zip", "shop", true},
      {"file_shop_20240501020000", "shop", true},
      {"file_shop_2020x_20240501020000.zip", "shop", false},
      {"file_shop_2020x_20240501020000.zip", "shop_2020x", true},
      {"file_my_2020data_20240501020000.zip", "my", false},
      {"file_shop_2024050102000.zip", "shop", false},
      {"file_shop_202405010200000.zip", "shop", false},
      {"file_shop_20240501020000.zip.bak", "shop", false},
      {"file_shop_20240501020000.rar", "shop", false},
      {"xfile_shop_20240501020000.zip", "shop", false},
      {"file__20240501020000.zip", "", true},
      {"file_shop_20240501020000.zip", "", false},
      {"file_shop_20240501020000.incomplete", "shop", true},
      {"file_shop_20240501020000.incomplete.zip", "shop", true},
      {"file_shop_20240501020000.incomplete.bak", "shop", false},
      {"file_shop_20240501020000.zip.incomplete", "shop", false},
  };
  for (const NameCase& c : names) {
    EXPECT_EQ(IsFileTaskBackupName(c.entry, c.source), c.bOwn) << c.entry << " of " << c.source;
  }
  struct RuleCase {
    const char* rule;
    long long days;  // -1: no rule, nothing is deleted
  } rules[] = {
      {"删除7天以前的", 7}, {"删除 7 天以前的", 7}, {"删除007天以前的", 7}, {"删除0天以前的", 0},
      {"删除0x10天以前的", -1}, {"删除0.5天以前的", -1}, {"删除-0天以前的", -1}, {"删除+1天以前的", -1},
      {"删除天以前的", -1}, {"删除 天以前的", -1}, {"保留", -1}, {"", -1},
      {"删除99999999999999999999999天以前的", 9223372036854775807LL},
  };
  for (const RuleCase& c : rules) {
    long long days = -1;
    EXPECT_EQ(ReadRetentionDays(c.rule, &days), c.days >= 0) << c.rule;
    if (c.days >= 0) {
      EXPECT_EQ(days, c.days) << c.rule;
    }
  }
}

TEST(RetentionScope, PlainProjectNames) {
  struct Case {
    std::string name;
    bool bPlain;
  } cases[] = {
      {"shop", true}, {"商城备份", true}, {" lead blank", true}, {"a.b", true}, {"console", true},
      {"com10", true}, {"\x81\x5c", true},  // a GBK character whose trail byte is "\"
      {"", false}, {".", false}, {"..", false}, {"shop.", false}, {"shop ", false}, {"a\\b", false},
      {"a/b", false}, {"c:", false}, {"a*", false}, {"a?", false}, {"a|b", false}, {"a\"b", false},
      {"a<b", false}, {"a\tb", false}, {"CON", false}, {"con.txt", false}, {"nul  .x", false},
      {"COM1", false}, {"lpt9.log", false}, {"CONOUT$", false}, {"a\x81", false}, {"\x80", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsPlainProjectName(c.name), c.bPlain) << c.name;
}

}  // namespace
}  // namespace dorvik
