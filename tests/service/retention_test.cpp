// Retention passes over an in-memory file system at a fixed time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/clock.h"
#include "common/text.h"
#include "config/document.h"
#include "jobs/backup_log.h"
#include "service/retention.h"
#include "tests/common/fake_file_system.h"
#include "tests/jobs/fixed_clock.h"

namespace dorvik {
namespace {

// No log lines here: the newest backup comes from the names on disk.
const char kLogFolder[] = "C:\\Dorvik\\Log";

std::int64_t At(int month, int day, int hour) {
  return ToEpochSeconds(MakeLocalTime(2024, month, day, hour, 0, 0));
}

std::string FileTask(const std::string& source, const std::string& storage,
                     const std::string& rule, bool bWithRuleTag = true) {
  return "<Check>YES</Check>    <SouPath>" + source + "</SouPath>    <DesPath>" + storage +
         "</DesPath>    <strfile>!所有文件/!</strfile>    <m_strID>1</m_strID>" +
         (bWithRuleTag ? "    <strissave>" + rule + "</strissave>" : std::string());
}

std::string SqlTask(const std::string& storage, const std::string& project,
                    const std::string& rule) {
  return "<Check>YES</Check>    <despath>" + storage + "</despath>    <projectname>" + project +
         "</projectname>    <issave>" + rule + "</issave>";
}

std::string Document(const std::vector<std::string>& fileTasks,
                     const std::vector<std::string>& sqlTasks) {
  std::string files = "|||", sql = "|||";
  for (const std::string& task : fileTasks) files += task + "|||";
  for (const std::string& task : sqlTasks) sql += task + "|||";
  return "<rarpath>C:\\rar.exe</rarpath><defStorePath></defStorePath><FileBackups>" + files +
         "</FileBackups><SqlBackups>" + sql + "</SqlBackups>";
}

// Date folders 2024-5-1 .. 2024-5-9 below E:\bak, each with one archive of "shop" written at
// 02:00 and one of "crm" (another task sharing the folder); 2024-5-2 also has a shop archive
// written at 20:00.
void AddStorage(CFakeFileSystem& fs) {
  for (int day = 1; day <= 9; ++day) {
    const std::string folder = "E:\\bak\\2024-5-" + std::to_string(day);
    const std::string stamp = "202405" + std::string(day < 10 ? "0" : "") +
                              std::to_string(day) + "020000";
    fs.AddFolder(folder, At(5, day, 2));
    fs.AddFile(folder + "\\file_shop_" + stamp + ".zip", "z", At(5, day, 2));
    fs.AddFile(folder + "\\file_crm_" + stamp + ".zip", "z", At(5, day, 2));
  }
  fs.AddFile("E:\\bak\\2024-5-2\\file_shop_20240502200000.zip", "z", At(5, 2, 20));
}

TEST(Retention, SevenDaysAtNoonAndTheDayAfter) {
  CFakeFileSystem fs;
  AddStorage(fs);
  const std::string document = Document(
      {FileTask("D:\\web\\shop", "E:\\bak", "删除7天以前的"),
       FileTask("D:\\web\\crm", "E:\\bak", "保留")}, {});
  CFixedClock clock(MakeLocalTime(2024, 5, 9, 12, 0, 0));
  EXPECT_EQ(2u, CleanFileBackups(document, kLogFolder, fs, clock)) << "the two shop archives of 5-1 and 5-2";
  std::vector<std::string> tree = fs.ListTree("E:\\bak");
  auto has = [&](const std::string& path) {
    for (const std::string& p : tree) {
      if (p == path) return true;
    }
    return false;
  };
  EXPECT_FALSE(has("E:\\bak\\2024-5-1\\file_shop_20240501020000.zip"));
  EXPECT_FALSE(has("E:\\bak\\2024-5-2\\file_shop_20240502020000.zip"));
  EXPECT_TRUE(has("E:\\bak\\2024-5-2\\file_shop_20240502200000.zip")) << "6.67 days old";
  EXPECT_TRUE(has("E:\\bak\\2024-5-3\\file_shop_20240503020000.zip")) << "folder not expired";
  for (int day = 1; day <= 9; ++day) {
    const std::string stamp = "2024050" + std::to_string(day) + "020000";
    EXPECT_TRUE(has("E:\\bak\\2024-5-" + std::to_string(day) + "\\file_crm_" + stamp + ".zip"))
        << "the other task's backups stay";
  }

  // Without the crm archives, 2024-5-1 empties and goes; the next day's pass takes the rest.
  fs.RemoveFile("E:\\bak\\2024-5-1\\file_crm_20240501020000.zip");
  fs.RemoveFile("E:\\bak\\2024-5-2\\file_crm_20240502020000.zip");
  CleanFileBackups(document, kLogFolder, fs, clock);
  EXPECT_FALSE(fs.Exists("E:\\bak\\2024-5-1"));
  EXPECT_TRUE(fs.Exists("E:\\bak\\2024-5-2"));
  clock.Set(MakeLocalTime(2024, 5, 10, 12, 0, 0));
  CleanFileBackups(document, kLogFolder, fs, clock);
  EXPECT_FALSE(fs.Exists("E:\\bak\\2024-5-2"));
}

TEST(Retention, WhatAFilePassNeverDeletes) {
  struct Case {
    std::string task;
    const char* why;
  } cases[] = {
      {FileTask("D:\\shop", "E:\\bak", "保留"), "keep everything"},
      {FileTask("D:\\shop", "E:\\bak", ""), "empty rule"},
      {FileTask("D:\\shop", "E:\\bak", "", false), "missing rule"},
      {FileTask("D:\\shop", "E:\\bak", "删除天以前的"), "no number of days"},
      {FileTask("D:\\shop", "E:\\bak", "删除x天以前的"), "no digits"},
      {FileTask("D:\\shop", "E:\\bak", "删除-3天以前的"), "negative days"},
      {FileTask("D:\\shop", "E:\\bak", "7天以前的删除"), "days before 删除"},
      {FileTask("D:\\my", "E:\\bak", "删除1天以前的"), "a name that only starts another's (my_2020data)"},
      {FileTask("D:\\shop", "E:\\bak", "删除0x10天以前的"), "hexadecimal days"},
      {FileTask("D:\\shop", "E:\\bak", "删除0.5天以前的"), "fractional days"},
      {FileTask("D:\\shop", "E:\\bak", "删除-0天以前的"), "signed days"},
      {FileTask("D:\\shop", "E:\\bak", "删除 1 2天以前的"), "two numbers"},
      {FileTask("D:\\sh\x81", "E:\\bak", "删除1天以前的"), "source that is not well-formed GBK"},
      {FileTask("D:\\other", "E:\\bak", "删除1天以前的"), "another source"},
      {FileTask("D:\\", "E:\\bak", "删除0天以前的"), "empty source name claims nothing of others"},
  };
  for (const Case& c : cases) {
    CFakeFileSystem fs;
    const std::int64_t old = At(1, 2, 8);
    fs.AddFile("E:\\bak\\2024-1-2\\file_my_2020data_20240102080000.zip", "z", old);
    fs.AddFile("E:\\bak\\2024-1-2\\file_shop_20240102080000.zip", "z", old);
    fs.AddFile("E:\\bak\\2024-1-2\\file_shop_20240102090000", "no dot", old);
    fs.AddFile("E:\\bak\\2024-1-2\\notes.txt", "mine", old);
    fs.AddFile("E:\\bak\\2024-1-2\\x_20file_.txt", "close mark first", old);
    fs.AddFile("E:\\bak\\2024-1\\file_shop_20240102080000.zip", "z", old);
    fs.AddFile("E:\\bak\\2024-1-2x\\file_shop_20240102080000.zip", "z", old);
    fs.AddFile("E:\\bak\\2024-2-30\\file_shop_20240102080000.zip", "z", old);
    fs.AddFile("E:\\bak\\-1-2\\file_shop_20240102080000.zip", "z", old);
    const std::vector<std::string> before = fs.ListTree("E:\\bak");
    CFixedClock clock(MakeLocalTime(2024, 5, 9, 12, 0, 0));
    CleanFileBackups(Document({c.task}, {}), kLogFolder, fs, clock);
    std::vector<std::string> after = fs.ListTree("E:\\bak");
    EXPECT_EQ(after, before) << c.why;
  }
}

TEST(Retention, CopyFoldersEmptySourceAndFutureDates) {
  CFakeFileSystem fs;
  const std::int64_t old = At(1, 2, 8);
  fs.AddFile("E:\\bak\\2024-1-2\\file_shop_20240102080000\\sub\\a.txt", "a", old);
  fs.AddFolder("E:\\bak\\2024-1-2\\file_shop_20240102080000", old);
  fs.AddFolder("E:\\bak\\2024-1-2\\file_shop_20240102080000\\sub", old);
  fs.AddFile("E:\\bak\\2024-1-2\\file__20240102080000.zip", "empty source", old);
  fs.AddFolder("E:\\bak\\2024-5-8", At(5, 8, 1));  // young and empty: removed
  // Fresh backups of both tasks, so that their old ones are not their newest.
  fs.AddFile("E:\\bak\\2024-5-7\\file_shop_20240507080000.zip", "z", At(5, 7, 8));
  fs.AddFile("E:\\bak\\2024-5-7\\file__20240507080000.zip", "z", At(5, 7, 8));
  fs.AddFile("E:\\late\\2024-1-2\\file_shop_20240102080000.zip", "z", old);
  fs.AddFile("E:\\late\\2024-5-7\\file_shop_20240507080000.zip", "z", At(5, 7, 8));
  fs.AddFolder("E:\\late\\2030-1-1", old);
  const std::string document =
      Document({FileTask("D:\\shop", "E:\\bak", "删除7天以前的"),
                FileTask("D:\\", "E:\\bak", "删除7天以前的"),
                FileTask("D:\\site", "E:\\today", "删除7天以前的"),
                FileTask("D:\\shop", "E:\\late", "删除7天以前的"),
                FileTask("D:\\web\\shop", "E:\\bak2", "删除7天以前的")},
               {});
  fs.AddFile("E:\\bak2\\2024-1-2\\file_shop_20240102080000.zip", "z", old);
  fs.AddFolder("E:\\today\\2024-5-9", At(5, 9, 11));
  CFixedClock clock(MakeLocalTime(2024, 5, 9, 12, 0, 0));
  CleanFileBackups(document, kLogFolder, fs, clock);
  EXPECT_EQ(fs.ListTree("E:\\bak"),
            (std::vector<std::string>{"E:\\bak\\2024-5-7",
                                      "E:\\bak\\2024-5-7\\file__20240507080000.zip",
                                      "E:\\bak\\2024-5-7\\file_shop_20240507080000.zip"}))
      << "copy folder with its content, the empty source's own archive, empty date folders";
  EXPECT_FALSE(fs.Exists("E:\\late\\2024-1-2")) << "folders before the future one are cleaned";
  EXPECT_TRUE(fs.Exists("E:\\today\\2024-5-9")) << "today's empty folder may be a run's just made";
  EXPECT_TRUE(fs.Exists("E:\\bak2\\2024-1-2\\file_shop_20240102080000.zip"))
      << "a folder dated 2030-1-1 ends the pass: later tasks wait for the next pass";

  CFakeFileSystem future;
  future.AddFile("E:\\bak\\2024-1-2\\file_shop_20240102080000.zip", "z", At(6, 1, 0));
  future.AddFile("E:\\bak\\2024-1-2\\file_shop_20240109080000.zip", "z", old);
  CleanFileBackups(Document({FileTask("D:\\shop", "E:\\bak", "删除7天以前的")}, {}), kLogFolder,
                   future, clock);
  EXPECT_TRUE(future.Exists("E:\\bak\\2024-1-2\\file_shop_20240102080000.zip"))
      << "an entry written in the future is kept";
  EXPECT_TRUE(future.Exists("E:\\bak\\2024-1-2\\file_shop_20240109080000.zip"))
      << "and it ends the pass: entries after it wait for the next pass";
}

TEST(Retention, SqlPass) {
  CFakeFileSystem fs;
  fs.AddFile("E:\\sql\\nightly\\2024-5-1\\db_shop_20240501030000.bak", "b", At(5, 1, 3));
  fs.AddFolder("E:\\sql\\nightly\\2024-5-8", At(5, 8, 3));  // young and empty: the SQL pass keeps it
  fs.AddFile("E:\\sql\\nightly\\2024-5-7\\db_shop_20240507030000.bak", "b", At(5, 7, 3));
  fs.AddFile("E:\\sql\\nightly\\2024-5-1-old\\keep.bak", "b", At(5, 1, 3));
  fs.AddFile("E:\\sql\\2024-5-1\\file_task.zip", "b", At(5, 1, 3));
  fs.AddFile("E:\\sql\\weekly\\2024-5-1\\db_crm_20240501030000.bak", "b", At(5, 1, 3));
  const std::string document =
      Document({}, {SqlTask("E:\\sql", "nightly", "删除7天以前的"),
                    SqlTask("E:\\sql", "", "删除0天以前的"),
                    SqlTask("E:\\sql", "weekly", "删除")});
  CFixedClock clock(MakeLocalTime(2024, 5, 9, 12, 0, 0));
  CleanSqlBackups(document, kLogFolder, fs, clock);
  EXPECT_EQ(fs.ListTree("E:\\sql"),
            (std::vector<std::string>{
                "E:\\sql\\2024-5-1", "E:\\sql\\2024-5-1\\file_task.zip", "E:\\sql\\nightly",
                "E:\\sql\\nightly\\2024-5-1-old", "E:\\sql\\nightly\\2024-5-1-old\\keep.bak",
                "E:\\sql\\nightly\\2024-5-7", "E:\\sql\\nightly\\2024-5-7\\db_shop_20240507030000.bak",
                "E:\\sql\\nightly\\2024-5-8", "E:\\sql\\weekly", "E:\\sql\\weekly\\2024-5-1",
                "E:\\sql\\weekly\\2024-5-1\\db_crm_20240501030000.bak"}));
}

// A task's newest backup stays whatever its age (the tests above show the rest going as before
// once a task has a fresh one). Rule 7 days, pass at noon on 2024-5-9.
TEST(Retention, NewestBackupOfATaskStays) {
  struct Entry {
    std::string path;
    std::int64_t time;
    bool bFolder = false;
  };
  struct Case {
    const char* why;
    bool bSql;
    std::vector<Entry> before;
    std::vector<std::string> after;
  } cases[] = {
      {"only expired archives: exactly the newest stays", false,
       {{"2024-4-1\\file_shop_20240401020000.zip", At(4, 1, 2)},
        {"2024-4-2\\file_shop_20240402020000.zip", At(4, 2, 2)},
        {"2024-4-2\\file_shop_20240402030000.zip", At(4, 2, 3)}},
       {"2024-4-2", "2024-4-2\\file_shop_20240402030000.zip"}},
      {"newest by write time, not by name", false,
       {{"2024-4-1\\file_shop_20240401020000.zip", At(4, 3, 2)},
        {"2024-4-2\\file_shop_20240402020000.zip", At(4, 2, 2)}},
       {"2024-4-1", "2024-4-1\\file_shop_20240401020000.zip"}},
      {"an empty copy folder of a failed run is no backup", false,
       {{"2024-4-1\\file_shop_20240401020000\\a.txt", At(4, 1, 2)},
        {"2024-4-1\\file_shop_20240401020000", At(4, 1, 2), true},
        {"2024-4-2\\file_shop_20240402020000", At(4, 2, 2), true}},
       {"2024-4-1", "2024-4-1\\file_shop_20240401020000", "2024-4-1\\file_shop_20240401020000\\a.txt"}},
      {"another task's fresh backup does not count", false,
       {{"2024-4-1\\file_shop_20240401020000.zip", At(4, 1, 2)},
        {"2024-5-8\\file_crm_20240508020000.zip", At(5, 8, 2)}},
       {"2024-4-1", "2024-4-1\\file_shop_20240401020000.zip", "2024-5-8",
        "2024-5-8\\file_crm_20240508020000.zip"}},
      {"SQL: only expired date folders: the newest stays", true,
       {{"2024-4-1\\db_a_20240401030000.bak", At(4, 1, 3)},
        {"2024-4-2\\db_a_20240402030000.bak", At(4, 2, 3)}},
       {"2024-4-2", "2024-4-2\\db_a_20240402030000.bak"}},
      {"SQL: an empty date folder of a failed run is no backup", true,
       {{"2024-4-1\\db_a_20240401030000.bak", At(4, 1, 3)}, {"2024-4-2", At(4, 2, 3), true}},
       {"2024-4-1", "2024-4-1\\db_a_20240401030000.bak"}},
  };
  for (const Case& c : cases) {
    const std::string root = c.bSql ? "E:\\sql\\nightly" : "E:\\bak";
    CFakeFileSystem fs;
    for (const Entry& entry : c.before) {
      const std::string path = root + "\\" + entry.path;
      if (entry.bFolder) {
        fs.AddFolder(path, entry.time);
      } else {
        fs.AddFile(path, "z", entry.time);
      }
    }
    CFixedClock clock(MakeLocalTime(2024, 5, 9, 12, 0, 0));
    if (c.bSql) {
      CleanSqlBackups(Document({}, {SqlTask("E:\\sql", "nightly", "删除7天以前的")}), kLogFolder, fs, clock);
    } else {
      CleanFileBackups(Document({FileTask("D:\\shop", "E:\\bak", "删除7天以前的"),
                                 FileTask("D:\\crm", "E:\\bak", "删除7天以前的")},
                                {}),
                       kLogFolder, fs, clock);
    }
    std::vector<std::string> expected;
    for (const std::string& path : c.after) expected.push_back(root + "\\" + path);
    EXPECT_EQ(fs.ListTree(root), expected) << c.why;
  }
}

// Only a successful run logs its output: the newest logged output that still exists in the
// task's folder is the newest backup, whatever newer entries failed runs left. Without one, the
// newest entry by time, never an incomplete one. Rule 7 days, pass at noon on 2024-5-9.
TEST(Retention, NewestBackupComesFromTheLog) {
  struct Case {
    const char* why;
    bool bSql;
    std::vector<std::string> logged;  // outputs, each logged at its stamp's time
    std::vector<std::string> before;  // files (a trailing "\" for a folder), written at their stamp
    std::vector<std::string> after;
  } cases[] = {
      {"the logged backup stays; newer unlogged and incomplete outputs go", false,
       {"E:\\bak\\2024-4-1\\file_shop_20240401020000.zip"},
       {"2024-4-1\\file_shop_20240401020000.zip", "2024-4-2\\file_shop_20240402020000.zip",
        "2024-4-3\\file_shop_20240403020000.incomplete.zip", "2024-4-4\\file_shop_20240404020000.incomplete\\a.txt"},
       {"2024-4-1", "2024-4-1\\file_shop_20240401020000.zip"}},
      {"compress after: the logged run's copy and its archive both stay", false,
       {"E:\\bak\\2024-4-1\\file_shop_20240401020000", "E:\\bak\\2024-4-1\\file_shop_20240401020000.zip"},
       {"2024-4-1\\file_shop_20240401020000\\a.txt", "2024-4-1\\file_shop_20240401020000.zip",
        "2024-4-2\\file_shop_20240402020000.incomplete\\a.txt", "2024-4-2\\file_shop_20240402020000.incomplete.zip"},
       {"2024-4-1", "2024-4-1\\file_shop_20240401020000", "2024-4-1\\file_shop_20240401020000.zip",
        "2024-4-1\\file_shop_20240401020000\\a.txt"}},
      {"a logged output deleted by hand: the newest that exists (folder case ignored)", false,
       {"E:\\BAK\\2024-4-1\\file_shop_20240401020000.zip", "E:\\bak\\2024-4-3\\file_shop_20240403020000.zip"},
       {"2024-4-1\\file_shop_20240401020000.zip", "2024-4-2\\file_shop_20240402020000.zip"},
       {"2024-4-1", "2024-4-1\\file_shop_20240401020000.zip"}},
      {"an output logged outside the task's folder does not count: by time", false,
       {"F:\\old\\2024-4-1\\file_shop_20240401020000.zip"},
       {"2024-4-1\\file_shop_20240401020000.zip", "2024-4-2\\file_shop_20240402020000.zip"},
       {"2024-4-2", "2024-4-2\\file_shop_20240402020000.zip"}},
      {"no log line: by time, never an incomplete output", false, {},
       {"2024-4-1\\file_shop_20240401020000.zip", "2024-4-2\\file_shop_20240402020000.incomplete.zip",
        "2024-4-3\\file_shop_20240403020000.incomplete\\a.txt"},
       {"2024-4-1", "2024-4-1\\file_shop_20240401020000.zip"}},
      {"SQL: the logged backup's date folder stays", true,
       {"E:\\sql\\nightly\\2024-4-1\\db_a_20240401030000.zip"},
       {"2024-4-1\\db_a_20240401030000.zip", "2024-4-2\\db_a_20240402030000.zip"},
       {"2024-4-1", "2024-4-1\\db_a_20240401030000.zip"}},
      {"SQL: no log line: by date, never a folder of incomplete outputs", true, {},
       {"2024-4-1\\db_a_20240401030000.bak", "2024-4-2\\db_a_20240402030000.incomplete.zip"},
       {"2024-4-1", "2024-4-1\\db_a_20240401030000.bak"}},
  };
  for (const Case& c : cases) {
    const std::string root = c.bSql ? "E:\\sql\\nightly" : "E:\\bak";
    CFakeFileSystem fs;
    for (const std::string& entry : c.before) {
      // The stamp's day at 02:00 is good enough for a write time here.
      const std::string::size_type stamp = entry.find("_2024") + 1;
      const std::int64_t time = At(std::stoi(entry.substr(stamp + 4, 2)), std::stoi(entry.substr(stamp + 6, 2)), 2);
      if (entry.back() == '\\') fs.AddFolder(root + "\\" + entry.substr(0, entry.size() - 1), time);
      else fs.AddFile(root + "\\" + entry, "z", time);
    }
    std::string log;
    for (const std::string& output : c.logged) {
      const std::string::size_type stamp = output.find("_2024") + 1;
      const std::string time = output.substr(stamp, 4) + "-" + output.substr(stamp + 4, 2) + "-" +
                               output.substr(stamp + 6, 2) + " 02:00:00";
      log += c.bSql ? FormatSqlLogLine("nightly", time, output)
                    : FormatFileLogLine("1", time, "D:\\shop", output);
    }
    fs.AddFile(std::string(kLogFolder) + "\\2024_04_01.log", ReplaceAll(log, "\n", "\r\n"));
    CFixedClock clock(MakeLocalTime(2024, 5, 9, 12, 0, 0));
    if (c.bSql) {
      CleanSqlBackups(Document({}, {SqlTask("E:\\sql", "nightly", "删除7天以前的")}), kLogFolder, fs, clock);
    } else {
      CleanFileBackups(Document({FileTask("D:\\shop", "E:\\bak", "删除7天以前的")}, {}), kLogFolder, fs, clock);
    }
    std::vector<std::string> expected;
    for (const std::string& path : c.after) expected.push_back(root + "\\" + path);
    EXPECT_EQ(fs.ListTree(root), expected) << c.why;
  }
}

TEST(Retention, DeleteFolderTreeKeepsTheFolderAndGoesOnAfterFailures) {
  CFakeFileSystem fs;
  fs.AddFile("E:\\t\\a\\b\\c.txt");
  fs.AddFile("E:\\t\\a\\busy.txt");
  fs.AddFile("E:\\t\\z.txt");
  fs.FailOn("E:\\t\\a\\busy.txt");
  DeleteFolderTree(fs, "E:\\t");
  EXPECT_EQ(fs.ListTree("E:\\t"),
            (std::vector<std::string>{"E:\\t\\a", "E:\\t\\a\\busy.txt"}));
  EXPECT_TRUE(fs.Exists("E:\\t"));
}

TEST(Retention, NoonLoopRunsOncePerDay) {
  struct StepClock : IClock {
    std::int64_t nSeconds = At(5, 9, 11) + 59 * 60;
    LocalTime Now() override { return FromEpochSeconds(nSeconds); }
    void SleepMs(unsigned) override {
      nSeconds += 1;
      if (nSeconds >= At(5, 11, 13)) bStop = true;
    }
    std::atomic<bool> bStop{false};
  } clock;
  std::vector<std::string> passes;
  RunRetentionLoop(clock, clock.bStop, [&] {
    passes.push_back(FormatLocalTime(clock.Now(), "%Y-%m-%d %H:%M:%S"));
  });
  EXPECT_EQ(passes, (std::vector<std::string>{"2024-05-09 11:59:00", "2024-05-09 12:00:00",
                                               "2024-05-10 12:00:00", "2024-05-11 12:00:00"}));
}

TEST(Retention, RuleAndDateReading) {
  long long days = -1;
  EXPECT_TRUE(ReadRetentionDays("删除30天以前的", &days));
  EXPECT_EQ(days, 30);
  EXPECT_TRUE(ReadRetentionDays("删除0天以前的", &days));
  EXPECT_EQ(days, 0);
  LocalTime date;
  ASSERT_TRUE(ParseDateText("2024-2-29", &date));
  EXPECT_EQ(date.year * 10000 + date.month * 100 + date.day, 20240229);
  for (const char* name : {"2023-2-29", "2024-13-1", "2024-5", "2024-5-1-", "2024-5-1 ", "a-1-1",
                           "2024--1", "2024-5-1.zip"}) {
    EXPECT_FALSE(ParseDateText(name, &date)) << name;
  }
}

}  // namespace
}  // namespace dorvik
