// Day rules, hour lists and the watchers run on a simulated clock over whole days.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/clock.h"
#include "service/day_rules.h"
#include "service/hour_pass.h"
#include "service/task_watch.h"
#include "tests/service/simulated_clock.h"

namespace dorvik {
namespace {

LocalTime Date(int year, int month, int day, int weekday) {
  LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.weekday = weekday;
  return t;
}

TEST(DayRules, BothTaskKinds) {
  const LocalTime wed_1_may = Date(2024, 5, 1, 3);
  const LocalTime sun_5_may = Date(2024, 5, 5, 0);
  const LocalTime sat_11_may = Date(2024, 5, 11, 6);
  const LocalTime wed_15_may = Date(2024, 5, 15, 3);
  const LocalTime fri_15_mar = Date(2024, 3, 15, 5);
  struct Case {
    const char* rule;
    LocalTime day;
    bool bFileDue, bSqlDue;
    const char* why;
  } cases[] = {
      {"每天", sat_11_may, true, true, "every day"},
      {"每天 ", sat_11_may, false, false, "every day must match exactly"},
      {"每周3", wed_1_may, true, true, "Wednesday"},
      {"每周3", sun_5_may, false, false, "not Sunday"},
      {"每周星期3", wed_1_may, true, true, "the SQL editor's form"},
      {"每周7", sun_5_may, true, true, "7 is Sunday"},
      {"每周", sun_5_may, true, true, "no number reads 0: Sunday"},
      {"每周12", wed_1_may, false, false, "reversed number 21 is no weekday"},
      {"每月1,15号", wed_1_may, true, true, "the 1st"},
      {"每月1,15号", wed_15_may, true, true, "the 15th"},
      {"每月1,15号", Date(2024, 5, 5, 0), false, false, "5 is inside 15 but not a whole number"},
      {"每月1,15号", sat_11_may, false, false, "11 is not listed though 1 is"},
      {"每月01号", wed_1_may, false, false, "a leading zero is another number"},
      {"每月号", wed_1_may, false, false, "no day"},
      {"3月15号", fri_15_mar, true, false, "yearly date: file tasks only"},
      {"3月15号", wed_15_may, false, false, "another month"},
      {"指定日期3月15号", fri_15_mar, false, true, "yearly date: SQL tasks need 指定"},
      {"指定日期3月15号", wed_15_may, false, false, "another month"},
      {"0月15号", wed_15_may, false, false, "a zero month is no date"},
      {"", wed_1_may, false, false, "empty rule is never due"},
      {"星期三", wed_1_may, false, false, "unknown words are never due"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseFileDayRule(c.rule).IsDue(c.day), c.bFileDue) << c.rule << ": " << c.why;
    EXPECT_EQ(ParseSqlDayRule(c.rule).IsDue(c.day), c.bSqlDue) << c.rule << ": " << c.why;
  }
}

TEST(HourList, Parsing) {
  struct Case {
    const char* text;
    std::vector<int> hours;
    int nLatest;
    const char* why;
  } cases[] = {
      {"8,20", {8, 20}, 20, "two hours"},
      {"24", {0}, 0, "24 is midnight"},
      {"8,8", {8, 8}, 8, "a repeated hour stays listed"},
      {",,3,,", {3}, 3, "empty pieces vanish"},
      {"x,7", {0, 7}, 7, "a piece without digits is hour 0"},
      {" 9", {9}, 9, "leading blanks are skipped"},
      {"", {}, -1, "no hours: never runs"},
  };
  for (const Case& c : cases) {
    HourList hours = ParseHourList(c.text);
    std::vector<int> parsed(hours.nSlots, hours.nSlots + hours.nCount);
    EXPECT_EQ(parsed, c.hours) << c.why;
    EXPECT_EQ(hours.nLatest, c.nLatest) << c.why;
  }
  std::string many;
  for (int i = 0; i < 30; ++i) many += std::to_string(i % 24) + ",";
  EXPECT_EQ(ParseHourList(many).nCount, 24) << "at most 24 hours are listed";
}

std::string FileRecord(const std::string& check, const std::string& isCut,
                       const std::string& date, const std::string& hours) {
  return "<Check>" + check + "</Check>    <SouPath>D:\\data</SouPath>    <DesPath>E:\\bak</DesPath>"
         "    <strfile>!所有文件/!@指定文件/@##$备份此类型/$</strfile>    <status>-</status>"
         "    <striscut>" + isCut + "</striscut>    <strdate>" + date +
         "</strdate>    <m_strtime>" + hours + "</m_strtime>    <m_strID>5</m_strID>"
         "    <strissave>删除30天以前的</strissave>";
}

std::string SqlRecord(const std::string& isCut, const std::string& date, const std::string& hours,
                      const std::string& name = "nightly") {
  return "<Check>YES</Check>    <sqlname>shop</sqlname>    <sqlpath>E:\\sql</sqlpath>"
         "    <despath>E:\\sql</despath>    <iscut>" + isCut + "</iscut>    <date>" + date +
         "</date>    <time>" + hours + "</time>    <status>-</status>    <num>1</num>"
         "    <id>1</id>    <projectname>" + name + "</projectname>    <issave>保留</issave>";
}

// Runs a file task's watcher from the start time until the stop time; returns each start as
// "YYYY-MM-DD HH:MM:SS".
std::vector<std::string> FileStarts(const std::string& record, CSimulatedClock& clock,
                                    std::vector<FileBackupRequest>* requests = nullptr) {
  std::vector<std::string> starts;
  WatchFileTask(record, clock, clock.bStop, [&](FileJobKind, const FileBackupRequest& request) {
    starts.push_back(FormatLocalTime(clock.Now(), "%Y-%m-%d %H:%M:%S"));
    if (requests) requests->push_back(request);
  });
  return starts;
}

TEST(FileWatcher, StartsAtMinuteZeroOfListedHours) {
  struct Case {
    std::string date, hours;
    int startDay, startHour, startMinute, startSecond;
    int stopDay;  // May 2024, at 00:00:00
    std::vector<std::string> starts;
    const char* why;
  } cases[] = {
      {"每天", "8,20", 1, 8, 30, 0, 3,
       {"2024-05-01 20:00:00", "2024-05-02 08:00:00", "2024-05-02 20:00:00"},
       "started at 08:30: nothing until 20:00"},
      {"每天", "24", 1, 0, 10, 0, 3, {"2024-05-02 00:00:00"}, "24 runs at midnight"},
      {"每天", "8,8", 1, 7, 0, 0, 2, {"2024-05-01 08:00:00"}, "one start for a doubled hour"},
      {"每天", "x", 1, 12, 0, 0, 3, {"2024-05-02 00:00:00"}, "a piece without digits is 0"},
      {"每天", "", 1, 0, 0, 0, 3, {}, "no hours: never"},
      {"每天", "8", 1, 8, 0, 30, 2, {"2024-05-01 08:00:30"}, "08:00:30 still starts at once"},
      {"每周3", "23", 1, 0, 0, 0, 16,
       {"2024-05-01 23:00:00", "2024-05-08 23:00:00", "2024-05-15 23:00:00"},
       "Wednesdays only; Thursday's check finds it not due"},
      {"每周12", "8", 1, 0, 0, 0, 9, {}, "never due"},
      {"每月1,15号", "9", 1, 0, 0, 0, 17, {"2024-05-01 09:00:00", "2024-05-15 09:00:00"},
       "the 1st and the 15th"},
      {"3月15号", "9", 1, 0, 0, 0, 3, {}, "not today"},
  };
  for (const Case& c : cases) {
    CSimulatedClock clock(2024, 5, c.startDay, c.startHour, c.startMinute, c.startSecond);
    clock.StopAt(2024, 5, c.stopDay, 0, 0, 0);
    EXPECT_EQ(FileStarts(FileRecord("YES", "是", c.date, c.hours), clock), c.starts) << c.why;
  }
}

TEST(FileWatcher, YearlyDateAndRequest) {
  CSimulatedClock clock(2024, 3, 14, 12, 0, 0);
  clock.StopAt(2024, 3, 16, 0, 0, 0);
  std::vector<FileBackupRequest> requests;
  EXPECT_EQ(FileStarts(FileRecord("YES", "备份后压缩", "3月15号", "10"), clock, &requests),
            std::vector<std::string>{"2024-03-15 10:00:00"});
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].strRecord, "<m_strID>5</m_strID>") << "only the ID goes to the job";
  EXPECT_EQ(requests[0].strSouPath, "D:\\data");
  EXPECT_EQ(requests[0].strDesPath, "E:\\bak");
  EXPECT_EQ(requests[0].strFile, "!所有文件/!@指定文件/@##$备份此类型/$");
  EXPECT_TRUE(requests[0].bCompressAfter);
}

TEST(FileWatcher, DisabledTaskAndUnknownModeStartNothing) {
  struct Case {
    const char* check;
    const char* isCut;
    bool bEndsAtOnce;
    const char* why;
  } cases[] = {
      {"NO", "是", true, "disabled: the watcher ends at once"},
      {"no", "是", false, "only NO disables; this one watches (and starts, see below)"},
      {"YES", "", false, "unknown mode: due, yet nothing is started"},
  };
  for (const Case& c : cases) {
    CSimulatedClock clock(2024, 5, 1, 7, 59, 0);
    clock.StopAt(2024, 5, 1, 9, 0, 0);
    std::vector<std::string> starts = FileStarts(FileRecord(c.check, c.isCut, "每天", "8"), clock);
    EXPECT_EQ(clock.Now().hour == 7, c.bEndsAtOnce) << c.why;
    EXPECT_EQ(starts.size(), std::string(c.check) == "no" ? 1u : 0u) << c.why;
  }
}

TEST(FileWatcher, ChooseJobByMode) {
  EXPECT_EQ(ChooseFileJob("是"), FileJobKind::Archive);
  EXPECT_EQ(ChooseFileJob("否"), FileJobKind::Copy);
  EXPECT_EQ(ChooseFileJob("备份后压缩"), FileJobKind::CopyThenArchive);
  EXPECT_EQ(ChooseFileJob("压缩"), FileJobKind::None);
}

TEST(SqlWatcher, YearlyRuleNeedsMarkAndBlockingRunMissesNextHour) {
  struct Case {
    std::string date, hours, isCut;
    int runMinutes;  // how long each Backup.exe run lasts
    std::vector<std::string> starts;
    const char* why;
  } cases[] = {
      {"每天", "2,3", "是", 70, {"2024-03-15 02:00:00"},
       "a run from 02:00 to 03:10 blocks the watcher through 03:00"},
      {"每天", "2,3", "否", 5, {"2024-03-15 02:00:00", "2024-03-15 03:00:00"}, "short runs"},
      {"3月15号", "2", "是", 1, {}, "a yearly date without 指定 is never due"},
      {"指定日期3月15号", "2", "是", 1, {"2024-03-15 02:00:00"}, "yearly date"},
      {"每天", "2", "备份后压缩", 1, {}, "only 是 and 否 start Backup.exe"},
  };
  for (const Case& c : cases) {
    CSimulatedClock clock(2024, 3, 15, 1, 59, 0);
    clock.StopAt(2024, 3, 15, 4, 30, 0);
    std::vector<std::string> starts;
    const std::string record = SqlRecord(c.isCut, c.date, c.hours);
    WatchSqlTask(record, clock, clock.bStop, [&](const std::string& isCut, const std::string& text) {
      starts.push_back(FormatLocalTime(clock.Now(), "%Y-%m-%d %H:%M:%S"));
      EXPECT_EQ(isCut, c.isCut);
      EXPECT_EQ(text, record) << "the whole record goes to Backup.exe";
      clock.Advance(c.runMinutes * 60 * 1000);
    });
    EXPECT_EQ(starts, c.starts) << c.why;
  }
}

TEST(SqlWatcher, CommandLine) {
  EXPECT_EQ(SqlBackupCommandLine("C:\\Program Files\\Dorvik\\", "<id>4</id>    <x>a b</x>", "是"),
            "C:\\Program Files\\Dorvik\\Backup.exe \"<id>4</id>    <x>a b</x>\" 是");
}

}  // namespace
}  // namespace dorvik
