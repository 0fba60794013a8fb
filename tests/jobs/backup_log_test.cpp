#include <gtest/gtest.h>

#include "jobs/backup_log.h"
#include "jobs/task_status.h"
#include "tests/common/fake_file_system.h"
#include "tests/config/fake_config_file.h"
#include "tests/config/fake_config_reactions.h"
#include "tests/jobs/fixed_clock.h"

using namespace dorvik;

TEST(BackupLogLine, FixedWidthFields) {
  EXPECT_EQ(FormatFileLogLine("3", "2024-05-01 08:30:00", "C:\\web\\shop",
                              "D:\\bak\\2024-5-1\\file_shop_20240501083000.zip"),
            "3                  2024-05-01 08:30:00    C:\\web\\shop                       "
            "D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\n");
  EXPECT_EQ(FormatSqlLogLine("shop", "2024-05-01 08:30:00",
                             "D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.zip"),
            "shop               2024-05-01 08:30:00    D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.zip\n");
  // Longer values are written whole: the next field's four blanks follow at once.
  EXPECT_EQ(FormatSqlLogLine("a-very-long-project", "2024-05-01 08:30:00", "x"),
            "a-very-long-project    2024-05-01 08:30:00    x\n");
  EXPECT_EQ(FormatFileLogLine("7", "2024-05-01 08:30:00", "C:\\a-source-folder-of-thirty-two", "y"),
            "7                  2024-05-01 08:30:00    C:\\a-source-folder-of-thirty-two    y\n");
  // Widths count bytes, as printf does: a Chinese character is two.
  EXPECT_EQ(FormatFileLogLine("1", "2024-05-01 08:30:00", "C:\\数据", "z"),
            "1                  2024-05-01 08:30:00    C:\\数据                           z\n");
}

TEST(BackupLog, AppendsWithCrLfAndCreatesTheFolder) {
  CFakeFileSystem files;
  files.AddFolder("C:\\Dorvik");
  std::unique_ptr<IBackupLog> log = MakeBackupLog("C:\\Dorvik\\", files);
  EXPECT_EQ(log->GetLastBackupTime("3"), "") << "no Log folder yet";
  ASSERT_TRUE(log->AppendBackupLogLine("2024_05_01.log", FormatSqlLogLine("5", "2024-05-01 08:30:00", "a")));
  ASSERT_TRUE(log->AppendBackupLogLine("2024_05_01.log", FormatSqlLogLine("5", "2024-05-01 09:00:00", "b")));
  EXPECT_EQ(files.FileContent("C:\\Dorvik\\Log\\2024_05_01.log"),
            "5                  2024-05-01 08:30:00    a\r\n"
            "5                  2024-05-01 09:00:00    b\r\n");
  files.FailOn("C:\\Dorvik\\Log\\2024_05_02.log");
  EXPECT_FALSE(log->AppendBackupLogLine("2024_05_02.log", "x\n"));

  CFakeFileSystem noProgramDir;
  EXPECT_FALSE(MakeBackupLog("C:\\Gone\\", noProgramDir)->AppendBackupLogLine("a.log", "x\n"));
}

TEST(BackupLog, LastBackupTimes) {
  CFakeFileSystem files;
  files.AddFolder("C:\\Dorvik\\Log");
  std::unique_ptr<IBackupLog> log = MakeBackupLog("C:\\Dorvik\\", files);
  EXPECT_EQ(log->GetLastBackupTime("3"), "2000-01-01 01:01:01") << "an empty Log folder";

  std::string longPath(400, 'p');
  files.AddFile("C:\\Dorvik\\Log\\2024_05_01.log",
                "3                  2024-05-01 08:30:00    C:\\web\\shop                       D:\\x.zip\r\n"
                "\r\n"
                "5                  2024-05-01 10:00:00    D:\\sql\\db_a.zip\r\n"
                "30                 2024-06-01 10:00:00    never read for key 3\r\n"
                "my task            2024-07-01 10:00:00    a key with a blank never matches\r\n"
                "3                  2024-5-2 8:5:7    " + longPath + "\r\n"
                "3                  garbage\r\n"
                "3\r\n"
                "5                  1999-12-31 23:00:00    before the floor\r\n"
                "7                  -2147483648-1-1 00:00:00    a year that overflows\r\n"
                "7                  2024-13-45 99:99:99    fields out of range\r\n"
                "7                  2024-2-30 10:00:00    a day the month does not have\r\n"
                "7                  99999999999-1-1 00:00:00    too many digits\r\n"
                "7                  2024-05-01 07:00:00    the one line that counts\r\n");
  files.AddFile("C:\\Dorvik\\Log\\notes.txt",
                "5                  2024-05-03 07:00:00    C:\\src    D:\\copy\r\n"
                "9                  1999-01-01 00:00:00    only older than the floor\r\n");
  files.AddFolder("C:\\Dorvik\\Log\\2024_05_09.log");  // a folder is not scanned

  struct Case { const char* key; const char* expected; const char* why; } cases[] = {
      {"3", "2024-05-02 08:05:07", "unpadded fields are read and written padded; a line over 299 bytes still counts"},
      {"5", "2024-05-03 07:00:00", "a file task 5 and an SQL task 5 share a key; any file name is scanned"},
      {"30", "2024-06-01 10:00:00", "keys compare whole"},
      {"my", "2000-01-01 01:01:01", "only the first piece is the key"},
      {"9", "2000-01-01 01:01:01", "times before 2000-01-01 01:01:01 never count"},
      {"4", "2000-01-01 01:01:01", "no line for the key"},
      {"7", "2024-05-01 07:00:00", "lines with fields out of range never count"},
  };
  LastBackupTimes all = log->GetAllLastBackupTimes();
  for (const Case& c : cases) {
    EXPECT_EQ(log->GetLastBackupTime(c.key), c.expected) << c.why;
    EXPECT_EQ(all.For(c.key), c.expected) << "one pass gives the same: " << c.why;
  }
  EXPECT_EQ(all.times.size(), 4u) << "3, 5, 7 and 30; the line of \"my task\" does not parse";
}

TEST(UpdateTaskStatus, RewritesTheRecordsStatus) {
  const std::string record = "<Check>YES</Check>    <SouPath>D:\\data</SouPath>    <status>-</status>    <m_strID>5</m_strID>";
  const std::string other = "<Check>YES</Check>    <SouPath>D:\\other</SouPath>    <status>-</status>    <m_strID>6</m_strID>";
  const std::string document = "<rarpath>C:\\rar.exe</rarpath><defStorePath></defStorePath><FileBackups>|||" +
                               record + "|||" + other + "|||</FileBackups><SqlBackups>|||</SqlBackups>";
  CFixedClock clock(MakeLocalTime(2024, 5, 2, 0, 0, 3));
  {
    CFakeConfigFile file;
    file.SetDocument(document);
    CFakeConfigReactions reactions;
    CConfigStore store(file, reactions);
    EXPECT_EQ(UpdateTaskStatus(store, reactions, clock, record), "2024-05-02 00:00:03");
    EXPECT_EQ(file.Document(),
              "<rarpath>C:\\rar.exe</rarpath><defStorePath></defStorePath><FileBackups>|||"
              "<Check>YES</Check>    <SouPath>D:\\data</SouPath>    <status>2024-05-02 00:00:03</status>    <m_strID>5</m_strID>|||" +
                  other + "|||</FileBackups><SqlBackups>|||</SqlBackups>");
    // The record changed meanwhile: the document stays, the status text is still given.
    EXPECT_EQ(UpdateTaskStatus(store, reactions, clock, record), "2024-05-02 00:00:03");
    EXPECT_EQ(file.nWrites, 1);
    EXPECT_TRUE(reactions.messages.empty());
  }
  {
    CFakeConfigFile file;
    file.SetDocument(document);
    file.bWriteFails = true;
    CFakeConfigReactions reactions;
    CConfigStore store(file, reactions);
    EXPECT_EQ(UpdateTaskStatus(store, reactions, clock, record), "");
    ASSERT_EQ(reactions.messages.size(), 1u);
    EXPECT_EQ(reactions.messages[0].first, "配置文件打开失败");
    EXPECT_EQ(reactions.nEnded, 1);
  }
}
