// The health rule as one table: day-rule kinds, hour lists, the grace period, runs still going,
// a changed schedule, the clock set back.
#include <gtest/gtest.h>

#include <string>

#include "health/task_health.h"
#include "tests/jobs/fixed_clock.h"

namespace dorvik {
namespace {

Moment At(int year, int month, int day, int hour, int minute = 0, int second = 0) {
  return ToEpochSeconds(MakeLocalTime(year, month, day, hour, minute, second));
}

struct Case {
  const char* why;
  bool bSql;
  const char* rule;
  const char* hours;
  Moment now;
  Moment success, failure;
  bool bRunning;
  Moment watchedSince;
  HealthState expected;
  Moment due;
};

TEST(TaskHealth, Rule) {
  const Moment none = kNoMoment;
  const HealthState ok = HealthState::Ok, failed = HealthState::Failed, missed = HealthState::Missed,
                    pending = HealthState::Pending;
  // 2024-05-01 is a Wednesday.
  const Case cases[] = {
      {"backup at the due hour", false, "每天", "8,20", At(2024, 5, 1, 9), At(2024, 5, 1, 8), none, false, none, ok,
       At(2024, 5, 1, 8)},
      {"within the grace period the due moment before decides", false, "每天", "8,20", At(2024, 5, 1, 8, 3),
       At(2024, 4, 30, 20), none, false, none, ok, At(2024, 4, 30, 20)},
      {"grace period over without a trace", false, "每天", "8,20", At(2024, 5, 1, 8, 5, 1), At(2024, 4, 30, 20), none,
       false, none, missed, At(2024, 5, 1, 8)},
      {"exactly at the end of the grace period: still waiting", false, "每天", "8,20", At(2024, 5, 1, 8, 5),
       At(2024, 4, 30, 20), none, false, none, ok, At(2024, 4, 30, 20)},
      {"an earlier run missed shows within the next one's grace", false, "每天", "8,20", At(2024, 5, 1, 8, 3),
       At(2024, 4, 30, 8), none, false, none, missed, At(2024, 4, 30, 20)},
      {"a failed run after the due moment", false, "每天", "8,20", At(2024, 5, 1, 9), At(2024, 4, 30, 20),
       At(2024, 5, 1, 8, 2), false, none, failed, At(2024, 5, 1, 8)},
      {"the latest outcome wins: failed after a backup", false, "每天", "8", At(2024, 5, 1, 9), At(2024, 5, 1, 8),
       At(2024, 5, 1, 8, 30), false, none, failed, At(2024, 5, 1, 8)},
      {"the latest outcome wins: a backup after a failure", false, "每天", "8", At(2024, 5, 1, 9),
       At(2024, 5, 1, 8, 40), At(2024, 5, 1, 8, 30), false, none, ok, At(2024, 5, 1, 8)},
      {"a failure before the due moment is no outcome of it", false, "每天", "8", At(2024, 5, 1, 9), none,
       At(2024, 4, 30, 20), false, none, missed, At(2024, 5, 1, 8)},
      {"a run still going is never missed", true, "每天", "2", At(2024, 5, 1, 11), At(2024, 4, 30, 2), none, true,
       none, ok, At(2024, 4, 30, 2)},
      {"a run still going after an earlier miss is pending", true, "每天", "2", At(2024, 5, 1, 11), none, none, true,
       none, pending, At(2024, 5, 1, 2)},
      {"a run that ends after the next due moment covers it", true, "每天", "2,3", At(2024, 5, 1, 3, 20),
       At(2024, 5, 1, 3, 10), none, false, none, ok, At(2024, 5, 1, 3)},
      {"weekday rule: Wednesday 23:00, seen on Thursday", false, "每周3", "23", At(2024, 5, 2, 10),
       At(2024, 5, 1, 23), none, false, none, ok, At(2024, 5, 1, 23)},
      {"weekday rule: a week later without a backup", false, "每周3", "23", At(2024, 5, 9, 10), At(2024, 5, 1, 23),
       none, false, none, missed, At(2024, 5, 8, 23)},
      {"month days", false, "每月1,15号", "2", At(2024, 5, 10, 12), At(2024, 5, 1, 2), none, false, none, ok,
       At(2024, 5, 1, 2)},
      {"yearly date of a file task", false, "3月15号", "0", At(2024, 5, 1, 12), none, none, false, none, missed,
       At(2024, 3, 15, 0)},
      {"yearly date of a SQL Server task needs 指定", true, "指定日期3月15号", "0", At(2024, 5, 1, 12), none,
       none, false, none, missed, At(2024, 3, 15, 0)},
      {"a file task's yearly form means nothing to a SQL Server task", true, "3月15号", "0", At(2024, 5, 1, 12),
       none, none, false, none, pending, none},
      {"29 February is found years back", false, "2月29号", "6", At(2027, 3, 1, 12), At(2024, 2, 29, 6), none,
       false, none, ok, At(2024, 2, 29, 6)},
      {"hour 24 is midnight", false, "每天", "24", At(2024, 5, 1, 0, 30), At(2024, 5, 1, 0), none, false, none, ok,
       At(2024, 5, 1, 0)},
      {"the hour is not over when due: hour 25 never is", false, "每天", "25", At(2024, 5, 1, 12), none, none,
       false, none, pending, none},
      {"no hours: never due", false, "每天", "", At(2024, 5, 1, 12), none, none, false, none, pending, none},
      {"a rule that is never due", false, "每周12", "8", At(2024, 5, 1, 12), none, none, false, none, pending, none},
      {"new task: nothing was due since it was first watched", false, "每天", "8", At(2024, 5, 1, 15), none, none,
       false, At(2024, 5, 1, 10), pending, none},
      {"new task: its first due moment is judged", false, "每天", "8", At(2024, 5, 2, 8, 10), none, none, false,
       At(2024, 5, 1, 10), missed, At(2024, 5, 2, 8)},
      {"changed hours: the old hour before the change does not count", false, "每天", "10", At(2024, 5, 1, 9, 50),
       none, none, false, At(2024, 5, 1, 9, 30), pending, none},
      {"changed hours: the new hour counts", false, "每天", "10", At(2024, 5, 1, 10, 10), none, none, false,
       At(2024, 5, 1, 9, 30), missed, At(2024, 5, 1, 10)},
      {"clock set back: a backup dated later still counts", false, "每天", "8", At(2024, 5, 1, 9),
       At(2024, 5, 2, 8), none, false, none, ok, At(2024, 5, 1, 8)},
      {"clock set back before the task was first watched", false, "每天", "8", At(2024, 5, 1, 9), none, none, false,
       At(2024, 5, 3, 8), pending, none},
  };
  for (const Case& c : cases) {
    TaskHealthFacts facts;
    facts.lastSuccess = c.success;
    facts.lastFailure = c.failure;
    facts.strFailure = "源文件夹不存在";
    facts.bRunning = c.bRunning;
    facts.watchedSince = c.watchedSince;
    const DayRule rule = c.bSql ? ParseSqlDayRule(c.rule) : ParseFileDayRule(c.rule);
    const TaskHealth health = JudgeTaskHealth(rule, ParseHourList(c.hours), facts, c.now);
    EXPECT_EQ(HealthStateName(health.state), std::string(HealthStateName(c.expected))) << c.why;
    EXPECT_EQ(FormatMoment(health.due), FormatMoment(c.due)) << c.why;
  }
}

TEST(TaskHealth, ReasonTexts) {
  TaskHealthFacts facts;
  facts.lastFailure = At(2024, 5, 1, 8, 1);
  facts.strFailure = "源文件夹不存在";
  const DayRule everyDay = ParseFileDayRule("每天");
  EXPECT_EQ(JudgeTaskHealth(everyDay, ParseHourList("8"), facts, At(2024, 5, 1, 9)).strReason,
            "运行失败：源文件夹不存在");
  facts = TaskHealthFacts();
  EXPECT_EQ(JudgeTaskHealth(everyDay, ParseHourList("8"), facts, At(2024, 5, 1, 9)).strReason,
            "应于 2024-05-01 08:00:00 运行，未见备份，也未见失败记录");
  facts.lastSuccess = At(2024, 5, 1, 8);
  EXPECT_EQ(JudgeTaskHealth(everyDay, ParseHourList("8"), facts, At(2024, 5, 1, 9)).strReason,
            "最近一次备份 2024-05-01 08:00:00");
}

}  // namespace
}  // namespace dorvik
