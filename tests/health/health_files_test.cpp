// The record format, the exposition file and the status report, written out byte for byte; the
// monitor on an in-memory file system: events once per change, damaged records, unwritable files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "health/exposition.h"
#include "health/health_monitor.h"
#include "health/status_report.h"
#include "tests/common/fake_file_system.h"
#include "tests/jobs/fixed_clock.h"

namespace dorvik {
namespace {

Moment At(int year, int month, int day, int hour, int minute = 0, int second = 0) {
  return ToEpochSeconds(MakeLocalTime(year, month, day, hour, minute, second));
}

TEST(RunRecord, FormatAndDamage) {
  RunRecord record;
  record.strKind = "file";
  record.strKey = "7";
  record.strSchedule = "每天 8";
  record.watchedSince = 100;
  record.lastStart = 200;
  record.lastEnd = 260;
  record.lastFailure = 260;
  record.strFailure = "源文件夹不存在：D:\\a\"b\r\nnext";
  const std::string text = FormatRunRecord(record);
  EXPECT_EQ(text,
            "dorvik run record 1\n"
            "kind=file\nkey=7\nschedule=每天 8\nwatched_since=100\nlast_start=200\nlast_end=260\n"
            "last_result=failed\nlast_success=\nlast_failure=260\n"
            "failure_text=源文件夹不存在：D:\\\\a\"b\\r\\nnext\noutput_bytes=0\nrunning_since=\n"
            "running_service=\nreported_state=\nend\n");
  RunRecord back;
  ASSERT_TRUE(ParseRunRecord(text, &back));
  EXPECT_EQ(back.strFailure, record.strFailure);
  EXPECT_EQ(back.lastEnd, 260);
  EXPECT_EQ(back.lastSuccess, kNoMoment);

  const struct {
    std::string text;
    const char* why;
  } damaged[] = {
      {text.substr(0, text.size() - 4), "cut before its end line"},
      {text.substr(0, text.size() - 1), "the end line without its line end"},
      {text + "x=1\n", "something after the end"},
      {"dorvik run record 2\n" + text.substr(text.find('\n') + 1), "another format"},
      {std::string(text).replace(text.find("=100"), 4, "=1x0"), "a moment that is no number"},
      {std::string(text).replace(text.find("=failed"), 7, "=maybe"), "an unknown result"},
      {std::string(text).replace(text.find("\\r"), 2, "\\q"), "an unknown escape"},
      {std::string(text).replace(text.find("kind=file"), 9, "kind=xyz"), "an unknown kind"},
      {"", "empty"},
  };
  for (const auto& d : damaged) EXPECT_FALSE(ParseRunRecord(d.text, &back)) << d.why;

  EXPECT_EQ(RunRecordFileName("sql", "a\"\\"), "sql-61225c.txt");
  const std::string longName = RunRecordFileName("file", std::string(200, 'k'));
  EXPECT_EQ(longName.size(), std::string("file-.txt").size() + 96);
  EXPECT_NE(longName, RunRecordFileName("file", std::string(201, 'k')));
}

std::vector<TaskHealthRow> OneTaskRows(const std::string& key, const std::string& source) {
  HealthTask task;
  task.strKind = "file";
  task.strKey = key;
  task.strSource = source;
  task.bEnabled = true;
  TaskHealthRow row;
  row.task = task;
  row.facts.lastSuccess = 1714550400;
  row.health.state = HealthState::Missed;
  row.health.due = 1714636800;
  row.lastStart = 1714550400;
  row.lastEnd = 1714550465;
  row.nOutputBytes = 4096;
  return {row};
}

TEST(Exposition, ByteExact) {
  // A quote, a backslash, a line break and GBK text in the labels; a byte that is no GBK.
  const std::string text = FormatExposition(OneTaskRows("a\"b", "D:\\数据\n\x81"), {1714500000, kNoMoment, 3},
                                            1714640000);
  const std::string labels = "kind=\"file\",task=\"a\\\"b\",source=\"D:\\\\\xe6\x95\xb0\xe6\x8d\xae\\n?\"";
  EXPECT_EQ(text,
            "# HELP dorvik_task_last_success_timestamp_seconds Time of the task's newest backup (0: none).\n"
            "# TYPE dorvik_task_last_success_timestamp_seconds gauge\n"
            "dorvik_task_last_success_timestamp_seconds{" + labels + "} 1714550400\n"
            "# HELP dorvik_task_last_failure_timestamp_seconds End of the task's newest failed run (0: none).\n"
            "# TYPE dorvik_task_last_failure_timestamp_seconds gauge\n"
            "dorvik_task_last_failure_timestamp_seconds{" + labels + "} 0\n"
            "# HELP dorvik_task_last_expected_run_timestamp_seconds The moment the task was last due to start "
            "(0: not yet due).\n"
            "# TYPE dorvik_task_last_expected_run_timestamp_seconds gauge\n"
            "dorvik_task_last_expected_run_timestamp_seconds{" + labels + "} 1714636800\n"
            "# HELP dorvik_task_last_output_size_bytes Size of what the task's last successful run made.\n"
            "# TYPE dorvik_task_last_output_size_bytes gauge\n"
            "dorvik_task_last_output_size_bytes{" + labels + "} 4096\n"
            "# HELP dorvik_task_last_run_duration_seconds How long the task's last recorded run took.\n"
            "# TYPE dorvik_task_last_run_duration_seconds gauge\n"
            "dorvik_task_last_run_duration_seconds{" + labels + "} 65\n"
            "# HELP dorvik_task_state 1 for the task's present health state, 0 for the others.\n"
            "# TYPE dorvik_task_state gauge\n"
            "dorvik_task_state{" + labels + ",state=\"ok\"} 0\n"
            "dorvik_task_state{" + labels + ",state=\"failed\"} 0\n"
            "dorvik_task_state{" + labels + ",state=\"missed\"} 1\n"
            "dorvik_task_state{" + labels + ",state=\"pending\"} 0\n"
            "# HELP dorvik_service_start_time_seconds When the backup service started.\n"
            "# TYPE dorvik_service_start_time_seconds gauge\n"
            "dorvik_service_start_time_seconds 1714500000\n"
            "# HELP dorvik_retention_last_pass_timestamp_seconds End of the last retention pass (0: none yet).\n"
            "# TYPE dorvik_retention_last_pass_timestamp_seconds gauge\n"
            "dorvik_retention_last_pass_timestamp_seconds 0\n"
            "# HELP dorvik_retention_last_pass_deleted_backups Backups the last retention pass deleted.\n"
            "# TYPE dorvik_retention_last_pass_deleted_backups gauge\n"
            "dorvik_retention_last_pass_deleted_backups 3\n"
            "# HELP dorvik_health_file_written_timestamp_seconds When the service wrote this file.\n"
            "# TYPE dorvik_health_file_written_timestamp_seconds gauge\n"
            "dorvik_health_file_written_timestamp_seconds 1714640000\n");

  // Prometheus' own checker, where it is installed.
  if (std::system("command -v promtool >/dev/null 2>&1") != 0) GTEST_SKIP() << "promtool is not installed";
  const std::string path = ::testing::TempDir() + "dorvik_health_test.prom";
  std::ofstream(path, std::ios::binary) << text;
  EXPECT_EQ(std::system(("promtool check metrics < " + path).c_str()), 0);
}

TEST(StatusReport, ExitCodes) {
  const struct {
    HealthState state;
    bool bEnabled, bServiceRunning;
    int code;
    const char* first;
  } cases[] = {
      {HealthState::Ok, true, true, kStatusOk, "DORVIK OK - 0 failed, 0 missed, 1 ok, 0 pending, 0 disabled"},
      {HealthState::Pending, true, true, kStatusOk, "DORVIK OK - 0 failed, 0 missed, 0 ok, 1 pending, 0 disabled"},
      {HealthState::Ok, true, false, kStatusWarning, "DORVIK WARNING - 0 failed, 0 missed, 1 ok, 0 pending"},
      {HealthState::Missed, true, true, kStatusCritical, "DORVIK CRITICAL - 0 failed, 1 missed"},
      {HealthState::Failed, true, false, kStatusCritical, "DORVIK CRITICAL - 1 failed, 0 missed"},
      {HealthState::Failed, false, true, kStatusOk, "DORVIK OK - 0 failed, 0 missed, 0 ok, 0 pending, 1 disabled"},
  };
  for (const auto& c : cases) {
    std::vector<TaskHealthRow> rows = OneTaskRows("3", "C:\\web\\shop");
    rows[0].task.bEnabled = c.bEnabled;
    rows[0].health.state = c.state;
    rows[0].health.strReason = "运行失败：第一行\n第二行";
    std::string text;
    EXPECT_EQ(FormatStatusReport(rows, c.bServiceRunning, &text), c.code) << c.first;
    EXPECT_EQ(text.rfind(c.first, 0), 0u) << text;
  }
  std::vector<TaskHealthRow> rows = OneTaskRows("3", "C:\\web\\shop");
  rows[0].health.state = HealthState::Failed;
  rows[0].health.strReason = "运行失败：第一行\n第二行";
  std::string text;
  FormatStatusReport(rows, true, &text);
  EXPECT_EQ(text,
            "DORVIK CRITICAL - 1 failed, 0 missed, 0 ok, 0 pending, 0 disabled; service running | failed=1 "
            "missed=0 ok=0 pending=0 disabled=0\n"
            "file 3 (C:\\web\\shop): failed; last backup " + FormatMoment(1714550400) + "; last expected run " +
                FormatMoment(1714636800) + "; 运行失败：第一行 第二行\n");
}

class CEventsRecorder : public IHealthEvents {
 public:
  void TaskMissed(const TaskHealthRow& row) override { events.push_back("missed " + row.task.strKey); }
  void TaskRecovered(const TaskHealthRow& row) override { events.push_back("ok again " + row.task.strKey); }
  void HealthWriteFailed(const std::string& error) override { events.push_back("write failed " + error); }
  void RecordDamaged(const std::string& path) override { events.push_back("damaged " + path); }
  std::vector<std::string> events;
};

const char kDocument[] =
    "<rarpath></rarpath><defStorePath></defStorePath><FileBackups>|||<Check>YES</Check>    "
    "<SouPath>D:\\src</SouPath>    <strdate>每天</strdate>    <m_strtime>8</m_strtime>    "
    "<m_strID>1</m_strID>|||</FileBackups><SqlBackups>|||<Check>NO</Check>    <projectname>shop</projectname>"
    "    <date>每天</date>    <time>8</time>|||</SqlBackups>";

TEST(HealthMonitor, EventsOncePerChangeAndRecordsSurviveRestarts) {
  CFakeFileSystem files;
  files.AddFolder("C:\\Dorvik");
  CEventsRecorder events;
  const std::vector<HealthTask> tasks = ReadHealthTasks(kDocument);
  ASSERT_EQ(tasks.size(), 2u);
  {
    CHealthMonitor monitor("C:\\Dorvik\\", files, events);
    monitor.Start(tasks, At(2024, 5, 1, 7));
    monitor.Refresh(At(2024, 5, 1, 7, 30));  // pending: first watched at 07:00
    monitor.Refresh(At(2024, 5, 1, 8, 10));  // the 08:00 run never came
    monitor.Refresh(At(2024, 5, 1, 8, 11));
    monitor.RunStarted("file", "1", At(2024, 5, 1, 9));
    monitor.Refresh(At(2024, 5, 1, 9, 30));  // still missed: 08:00 has no outcome
    monitor.RunEnded("file", "1", {At(2024, 5, 1, 9), At(2024, 5, 1, 9, 40), false, "源文件夹不存在", 0});
    monitor.Refresh(At(2024, 5, 1, 9, 41));  // failed: no event of its own (the job reported it)
  }
  {
    // A restart keeps what was recorded and reported: no second event for the same state.
    CHealthMonitor monitor("C:\\Dorvik\\", files, events);
    monitor.Start(tasks, At(2024, 5, 1, 10));
    monitor.Refresh(At(2024, 5, 1, 10, 1));
    monitor.RunEnded("file", "1", {At(2024, 5, 2, 8), At(2024, 5, 2, 8, 1), true, "", 1234});
    monitor.Refresh(At(2024, 5, 2, 8, 2));
    monitor.Refresh(At(2024, 5, 2, 8, 3));
  }
  EXPECT_EQ(events.events, (std::vector<std::string>{"missed 1", "ok again 1"}));
  const std::string prom = files.FileContent("C:\\Dorvik\\Health\\dorvik.prom");
  EXPECT_NE(prom.find("dorvik_task_state{kind=\"file\",task=\"1\",source=\"D:\\\\src\",state=\"ok\"} 1\n"),
            std::string::npos);
  EXPECT_NE(prom.find("dorvik_task_last_output_size_bytes{kind=\"file\",task=\"1\",source=\"D:\\\\src\"} 1234\n"),
            std::string::npos);
  EXPECT_EQ(prom.find("shop"), std::string::npos) << "a disabled task is not exposed";

  // The status switch's reader sees the same.
  const std::vector<TaskHealthRow> rows = ReadTaskHealth(kDocument, "C:\\Dorvik\\", At(2024, 5, 2, 9), false, files);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].health.state, HealthState::Ok);
  EXPECT_FALSE(rows[1].task.bEnabled);
}

TEST(HealthMonitor, StartedWithinMinuteZeroJudgesThatHour) {
  CFakeFileSystem files;
  files.AddFolder("C:\\Dorvik");
  CEventsRecorder events;
  CHealthMonitor monitor("C:\\Dorvik\\", files, events);
  monitor.Start(ReadHealthTasks(kDocument), At(2024, 5, 1, 8, 0, 40));
  monitor.RunEnded("file", "1", {At(2024, 5, 1, 8, 0, 41), At(2024, 5, 1, 8, 0, 50), true, "", 10});
  monitor.Refresh(At(2024, 5, 1, 8, 10));
  EXPECT_NE(files.FileContent("C:\\Dorvik\\Health\\dorvik.prom").find("state=\"ok\"} 1"), std::string::npos);
}

TEST(HealthMonitor, DamagedRecordAndUnwritableFolder) {
  CFakeFileSystem files;
  files.AddFile("C:\\Dorvik\\Health\\records\\file-31.txt", "dorvik run record 1\nkind=file\nkey=1\n");
  CEventsRecorder events;
  const std::vector<HealthTask> tasks = ReadHealthTasks(kDocument);
  CHealthMonitor monitor("C:\\Dorvik\\", files, events);
  monitor.Start(tasks, At(2024, 5, 1, 7));
  // Ignored, then replaced by a whole record of the task.
  RunRecord record;
  EXPECT_TRUE(ParseRunRecord(files.FileContent("C:\\Dorvik\\Health\\records\\file-31.txt"), &record));

  files.FailOn("C:\\Dorvik\\Health\\dorvik.prom.tmp");
  for (int minute = 0; minute < 3; ++minute) monitor.Refresh(At(2024, 5, 1, 7, minute));
  EXPECT_EQ(events.events.size(), 2u);
  EXPECT_EQ(events.events[0], "damaged C:\\Dorvik\\Health\\records\\file-31.txt");
  EXPECT_EQ(events.events[1].rfind("write failed C:\\Dorvik\\Health\\dorvik.prom", 0), 0u);
}

}  // namespace
}  // namespace dorvik
