#include <gtest/gtest.h>

#include "jobs/backup_log.h"
#include "jobs/last_backup_cache.h"
#include "tests/common/fake_file_system.h"

using namespace dorvik;

namespace {

const char* const kDir = "C:\\Dorvik\\";
const char* const kDay1 = "C:\\Dorvik\\Log\\2024_05_01.log";
const char* const kDay2 = "C:\\Dorvik\\Log\\2024_05_02.log";

LastBackupTimes FullScan(CFakeFileSystem& files) {
  return MakeBackupLog(kDir, files)->GetAllLastBackupTimes();
}

}  // namespace

TEST(LastBackupCache, LinesCountAsTheFullScanCountsThem) {
  const std::string none = kNoBackupTime;
  struct Case { std::string content; const char* key; std::string expected; const char* why; } cases[] = {
      {"3                  2024-05-01 08:30:00    C:\\web    D:\\x.zip\r\n", "3", "2024-05-01 08:30:00", "a file line"},
      {"   3   2024-05-01 08:30:00    x\r\n", "3", "2024-05-01 08:30:00", "leading blanks make no piece"},
      {"3 2024-5-2 8:5:7", "3", "2024-05-02 08:05:07", "unpadded fields; the last line needs no line end"},
      {"3 2024-05-01\t08:30:00 x\n", "3", "2024-05-01 08:30:00", "a tab inside a piece reads as white space"},
      {"3 +2024-05-01 08:30:00x\n", "3", "2024-05-01 08:30:00", "a sign reads; nothing after the seconds is looked at"},
      {"3 2024-05-01 08:30: 15\n", "3", none, "the seconds are not taken from the fourth piece"},
      {"3 2024-05-01 08:30\n", "3", none, "no seconds"},
      {"3 2024-05-01\n", "3", none, "fewer than three pieces"},
      {"3 garbage 08:30:00\n", "3", none, "no date"},
      {"3 99999999999-05-01 08:30:00\n", "3", none, "a year too large for an int"},
      {"3 1999-12-31 23:59:59\n", "3", none, "before the no-backup time"},
      {"3 2000-01-01 01:01:01\n", "3", none, "the no-backup time itself is not later"},
      {"3 2000-01-01 01:01:02\n", "3", "2000-01-01 01:01:02", "one second later counts"},
      {"3x 2024-05-01 08:30:00\n", "3", none, "keys compare whole"},
      {"my task 2024-05-01 08:30:00\n", "my", none, "a key with a blank never matches"},
      {"3 2024-05-01 08:30:00 " + std::string(400, 'p') + "\r\n3 2024-05-01 09:00:00\r\n", "3",
       "2024-05-01 09:00:00", "a line over 299 bytes counts, and so do the lines after it"},
      {"3 2024-05-01 09:00:00\r\n\r\n3 2024-05-01 08:00:00\r\n", "3", "2024-05-01 09:00:00", "the latest line wins, not the last"},
      {"3 2024-05-01 08:30:00\r\r\n", "3", "2024-05-01 08:30:00", "only one CR belongs to the line end"},
  };
  for (const Case& c : cases) {
    CFakeFileSystem files;
    files.AddFile(kDay1, "", 100);
    CLastBackupCache cache(kDir, files);
    EXPECT_EQ(cache.GetAllLastBackupTimes().For(c.key), none);
    files.AddFile(kDay1, c.content, 200);
    EXPECT_EQ(cache.GetAllLastBackupTimes().For(c.key), c.expected) << "refilled: " << c.why;
    EXPECT_EQ(MakeBackupLog(kDir, files)->GetLastBackupTime(c.key), c.expected) << "full scan: " << c.why;
  }
}

TEST(LastBackupCache, RefillReadsOnlyNewAndChangedFiles) {
  CFakeFileSystem files;
  CLastBackupCache cache(kDir, files);
  EXPECT_FALSE(cache.GetAllLastBackupTimes().bLogFolderFound) << "no Log folder: every time is empty";

  files.AddFile(kDay1, "3 2024-05-01 08:00:00 a\r\n5 2024-05-01 09:00:00 b\r\n", 100);
  files.AddFile(kDay2, "3 2024-05-02 08:00:00 c\r\n7 2024-05-02 10:00:00 d\r\n", 200);
  files.AddFolder("C:\\Dorvik\\Log\\2024_05_03.log");
  LastBackupTimes times = cache.GetAllLastBackupTimes();
  EXPECT_EQ(files.nReads, 2);
  EXPECT_EQ(times.times, FullScan(files).times);
  EXPECT_EQ(times.For("3"), "2024-05-02 08:00:00");

  int reads = files.nReads;
  EXPECT_EQ(cache.GetAllLastBackupTimes().times, times.times);
  EXPECT_EQ(files.nReads, reads) << "nothing changed, nothing read";

  reads = files.nReads;
  ASSERT_TRUE(files.AppendToFile(kDay2, "5 2024-05-02 11:00:00 e\r\n"));  // same time, larger
  times = cache.GetAllLastBackupTimes();
  EXPECT_EQ(files.nReads, reads + 1);
  EXPECT_EQ(times.For("5"), "2024-05-02 11:00:00");
  EXPECT_EQ(times.times, FullScan(files).times);

  reads = files.nReads;
  files.AddFile(kDay1, "3 2024-05-01 08:00:00 a\r\n5 2024-05-01 09:00:00 b\r\n", 300);  // newer time only
  cache.GetAllLastBackupTimes();
  EXPECT_EQ(files.nReads, reads + 1);

  reads = files.nReads;
  ASSERT_TRUE(files.RemoveFile(kDay2));
  times = cache.GetAllLastBackupTimes();
  EXPECT_EQ(files.nReads, reads);
  EXPECT_EQ(times.For("3"), "2024-05-01 08:00:00") << "falls back to the remaining file";
  EXPECT_EQ(times.For("7"), kNoBackupTime) << "its only line is gone";
  EXPECT_EQ(times.times, FullScan(files).times);

  ASSERT_TRUE(files.RemoveFile(kDay1));
  ASSERT_TRUE(files.RemoveEmptyDirectory("C:\\Dorvik\\Log\\2024_05_03.log"));
  ASSERT_TRUE(files.RemoveEmptyDirectory("C:\\Dorvik\\Log"));
  EXPECT_EQ(cache.GetAllLastBackupTimes().For("3"), "") << "the Log folder is gone";
  reads = files.nReads;
  files.AddFile(kDay1, "3 2024-05-01 08:00:00 a\r\n", 300);
  EXPECT_EQ(cache.GetAllLastBackupTimes().For("3"), "2024-05-01 08:00:00");
  EXPECT_EQ(files.nReads, reads + 1) << "a folder made anew is read anew";

  reads = files.nReads;
  files.AddFile("C:\\Dorvik\\Log\\locked.log", "9 2024-05-09 09:00:00 f\r\n", 400);
  files.FailOn("C:\\Dorvik\\Log\\locked.log");
  EXPECT_EQ(cache.GetAllLastBackupTimes().For("9"), kNoBackupTime);
  cache.GetAllLastBackupTimes();
  EXPECT_EQ(files.nReads, reads + 2) << "an unreadable file is tried again every time";
}

TEST(LastBackupCache, ThousandsOfKeysInOneFile) {
  CFakeFileSystem files;
  std::string day1, day2;
  for (int key = 1; key <= 3000; ++key) {
    day1 += FormatSqlLogLine("k" + std::to_string(key), "2024-05-01 10:00:00", "a");
    day1 += FormatSqlLogLine("k" + std::to_string(key), "2024-05-01 09:00:00", "b");
    if (key % 2) day2 += FormatSqlLogLine("k" + std::to_string(key), "2024-05-02 08:00:00", "c");
  }
  files.AddFile(kDay1, day1, 100);
  files.AddFile(kDay2, day2, 100);
  LastBackupTimes times = CLastBackupCache(kDir, files).GetAllLastBackupTimes();
  ASSERT_EQ(times.times.size(), 3000u);
  for (int key = 1; key <= 3000; ++key) {
    ASSERT_EQ(times.For("k" + std::to_string(key)), key % 2 ? "2024-05-02 08:00:00" : "2024-05-01 10:00:00")
        << key;
  }
}
