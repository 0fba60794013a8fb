#include <gtest/gtest.h>

#include <algorithm>

#include "console/core/list_sort.h"
#include "console/core/task_list_rows.h"
#include "console/core/task_warnings.h"

using namespace dorvik;

namespace {

LastBackupTimes Times(std::map<std::string, std::string> times) {
  LastBackupTimes result;
  result.bLogFolderFound = true;
  result.times = std::move(times);
  return result;
}

}  // namespace

TEST(TaskList, LastBackupColumnRules) {
  struct Case {
    const char* logTime;
    const char* file;
    const char* sql;
    const char* why;
  } cases[] = {
      {"2024-05-01 08:30:00", "2024-05-01 08:30:00", "2024-05-01 08:30:00", "a real run"},
      {"2000-01-01 01:01:01", "-", "-", "no log line for the key"},
      {"2011-12-31 23:59:59", "-", "2011-12-31 23:59:59", "before 2012 only hidden for files"},
      {"2012-01-01 00:00:00", "2012-01-01 00:00:00", "2012-01-01 00:00:00", "2012 is shown"},
      {"", "-", "", "no Log folder: a file task shows -, a SQL task stays empty"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileLastBackupText(c.logTime), c.file) << c.why;
    EXPECT_EQ(SqlLastBackupText(c.logTime), c.sql) << c.why;
  }
}

TEST(TaskList, FileRowsShowTheLastRecordOnTopNumberedFromOne) {
  const std::vector<std::string> records = {
      "<Check>YES</Check>    <SouPath>D:\\data</SouPath>    <DesPath>E:\\bak</DesPath>    "
      "<strfile>!所有文件/!@指定文件/@##$备份此类型/$</strfile>    <status>-</status>    "
      "<striscut>是</striscut>    <strdate>每周3</strdate>    <m_strtime>2,14</m_strtime>    "
      "<m_strID>5</m_strID>    <strissave>删除30天以前的</strissave>",
      "<Check>NO</Check>    <SouPath>C:\\web</SouPath>    <striscut>否</striscut>    "
      "<strdate>每天</strdate>    <m_strID>7</m_strID>    <strissave>保留</strissave>",
  };
  std::vector<ListRow> rows = FileTaskRows(records, Times({{"5", "2024-05-01 08:30:00"}}));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].texts,
            (std::vector<std::string>{"1", "C:\\web", "否", "", "每天", "-", "保留", "7"}));
  EXPECT_FALSE(rows[0].bChecked);
  EXPECT_EQ(rows[1].texts,
            (std::vector<std::string>{"2", "D:\\data", "是", "", "每周3", "2024-05-01 08:30:00",
                                      "删除30天以前的", "5"}));
  EXPECT_TRUE(rows[1].bChecked);
}

TEST(TaskList, SqlRowsTakeTheirKeyFromTheProjectName) {
  const std::vector<std::string> records = {
      "<Check>YES</Check>    <sqlname>shop,crm</sqlname>    <sqlpath>E:\\sqlbak</sqlpath>    "
      "<despath>E:\\sqlbak</despath>    <iscut>是</iscut>    <date>每天</date>    <time>3</time>   "
      " "
      "<status>-</status>    <num>2</num>    <id>4</id>    <projectname>nightly</projectname>    "
      "<issave>删除7天以前的</issave>",
  };
  std::vector<ListRow> rows = SqlTaskRows(
      records, Times({{"4", "2024-01-01 00:00:00"}, {"nightly", "2011-03-04 05:06:07"}}));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].texts, (std::vector<std::string>{"1", "nightly", "E:\\sqlbak", "是", "每天",
                                                     "2011-03-04 05:06:07", "删除7天以前的", "4"}));
  EXPECT_TRUE(rows[0].bChecked);
}

TEST(TaskList, ColumnsAndWidths) {
  const char* fileTitles[] = {"ID",       "备份文件夹路径", "是否压缩", "",
                              "备份日期", "最后备份时间",   "存储时间", "ID"};
  const int fileWidths[] = {25, 191, 75, 0, 75, 95, 99, 0};
  const char* sqlTitles[] = {"ID",       "任务",         "存储路径", "压缩存储",
                             "备份周期", "最后备份时间", "存储时间", "ID"};
  const int sqlWidths[] = {25, 60, 131, 75, 75, 95, 99, 0};
  for (int i = 0; i < kListColumnCount; ++i) {
    EXPECT_STREQ(kFileListColumns[i].title, fileTitles[i]) << i;
    EXPECT_EQ(kFileListColumns[i].width, fileWidths[i]) << i;
    EXPECT_STREQ(kSqlListColumns[i].title, sqlTitles[i]) << i;
    EXPECT_EQ(kSqlListColumns[i].width, sqlWidths[i]) << i;
  }
}

TEST(ListSort, ComparisonRules) {
  struct Case {
    int column;
    const char* a;
    const char* b;
    int sign;
    const char* why;
  } cases[] = {
      {0, "9", "10", -1, "row numbers compare as numbers"},
      {0, "x", "1", -1, "no leading number counts as 0"},
      {0, "12abc", "12", 0, "only the leading number counts"},
      {1, "9", "10", 1, "other columns compare as text"},
      {1, "abc", "ABD", -1, "ignoring case"},
      {1, "D:\\Data", "d:\\data", 0, "equal but for case"},
      {5, "-", "2024-05-01 08:30:00", -1, "a dash sorts before a time"},
  };
  for (const Case& c : cases) {
    int order = CompareListTexts(c.column, c.a, c.b);
    EXPECT_EQ((order > 0) - (order < 0), c.sign) << c.why;
  }
}

TEST(ListSort, EachClickFlipsTheDirectionForBothLists) {
  CListSortState state;
  EXPECT_EQ(state.Column(), -1);
  std::vector<std::string> numbers = {"2", "10", "1"};
  auto sortNow = [&] {
    std::sort(numbers.begin(), numbers.end(),
              [&](const std::string& a, const std::string& b) { return state.Compare(a, b) < 0; });
  };
  state.Click(0);
  sortNow();
  EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "10"})) << "the first click ascends";
  state.Click(0);
  sortNow();
  EXPECT_EQ(numbers, (std::vector<std::string>{"10", "2", "1"})) << "the second descends";
  state.Click(1);
  sortNow();
  EXPECT_EQ(numbers, (std::vector<std::string>{"1", "10", "2"}))
      << "the third, on another column, ascends again, as text";
}

TEST(TaskList, WarnedRowsAreTheFailedAndMissedTasksOfTheirKind) {
  auto row = [](const char* kind, const char* key, bool bEnabled, HealthState state, const char* reason) {
    TaskHealthRow r;
    r.task.strKind = kind;
    r.task.strKey = key;
    r.task.bEnabled = bEnabled;
    r.health.state = state;
    r.health.strReason = reason;
    return r;
  };
  const std::vector<TaskHealthRow> rows = {
      row("file", "2", true, HealthState::Failed, "运行失败：源文件夹不存在"),
      row("file", "3", true, HealthState::Missed, "应于 2024-05-09 09:00:00 运行"),
      row("file", "4", true, HealthState::Ok, "最近一次备份 2024-05-09 08:00:00"),
      row("file", "5", true, HealthState::Pending, "尚未到运行时间"),
      row("file", "6", false, HealthState::Failed, "disabled tasks are not judged"),
      row("sql", "3", true, HealthState::Ok, "the same key of the other kind is another task"),
      row("sql", "nightly", true, HealthState::Failed, "运行失败：A & B\r\n\tC"),
  };
  EXPECT_EQ(WarningsOfKind(rows, "file"), (TaskWarnings{{"2", "运行失败：源文件夹不存在"},
                                                        {"3", "应于 2024-05-09 09:00:00 运行"}}));
  EXPECT_EQ(WarningsOfKind(rows, "sql"), (TaskWarnings{{"nightly", "运行失败：A && B   C"}}));

  // Cut after 120 bytes, never inside a GBK character: 59 ASCII bytes, then two-byte characters
  // of which 30 fit.
  std::string longReason = std::string(59, 'x');
  for (int i = 0; i < 10; ++i) longReason += "运行失败";
  EXPECT_EQ(MenuItemText(longReason), std::string(59, 'x') + "运行失败运行失败运行失败运行失败运行失败运行失败运行失败运行...");
  EXPECT_EQ(MenuItemText(std::string(120, 'y')), std::string(120, 'y')) << "120 bytes fit whole";

  std::vector<ListRow> listed = WithWarnings(
      {{{"1", "C:\\a", "", "", "", "", "", "3"}, true, ""}, {{"2", "C:\\b", "", "", "", "", "", "4"}, true, ""}},
      kIdColumn,
      WarningsOfKind(rows, "file"));
  EXPECT_EQ(listed[0].strWarning, "应于 2024-05-09 09:00:00 运行") << "found by the ID column";
  EXPECT_EQ(listed[1].strWarning, "") << "an ok task carries no warning";
}
