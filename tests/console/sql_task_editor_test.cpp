// The SQL Server task editor without windows: the two database lists, records into controls,
// choice rules and the checks on OK.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/sql_task_record.h"
#include "console/editors/sql_task_editor.h"
#include "console/resource.h"
#include "tests/console/ok_check_cases.h"

namespace dorvik {
namespace {

using Names = std::vector<std::string>;

const char kRecord[] =
    "<Check>NO</Check>    <sqlname>shop,shop2</sqlname>    <sqlpath>E:\\sqlbak</sqlpath>    "
    "<despath>E:\\sqlbak</despath>    <iscut>否</iscut>    <date>每周星期3</date>    "
    "<time>3</time>    <status>2024-05-01 03:00:00</status>    <num>2</num>    <id>4</id>    "
    "<projectname>nightly</projectname>    <issave>删除7天以前的</issave>";

const PathExists kExisting = [](const std::string& path) { return path == "E:\\sqlbak"; };

SqlTaskEditorContext NewTask() {
  SqlTaskEditorContext context;
  context.strNewId = "8";
  context.strDefStorePath = "E:\\sqlbak";
  context.knownDatabases = {"crm", "master", "myshop", "shop", "shop2", "tempdb"};
  context.refusedNames = {"weekly", "daily"};
  return context;
}

SqlTaskEditorContext ChangeTask(const std::string& record) {
  SqlTaskEditorContext context = NewTask();
  context.bChange = true;
  context.strRecordText = record;
  return context;
}

TEST(DatabaseLists, Moves) {
  const Names known = {"crm", "master", "shop", "tempdb"};
  struct Case {
    void (*act)(CDatabaseLists* lists);
    Names available, chosen;
    const char* why;
  } cases[] = {
      {[](CDatabaseLists*) {}, {"所有数据库", "shop", "crm"}, {}, "reverse name order, no system dbs"},
      {[](CDatabaseLists* l) { l->Add({1, 2}); }, {"所有数据库"}, {"crm", "shop"},
       "each added row goes on top"},
      {[](CDatabaseLists* l) { l->Add({0}); }, {"shop", "crm"}, {"所有数据库"},
       "all databases resets both lists"},
      {[](CDatabaseLists* l) { l->Add({0}); l->Add({0}); }, {"shop", "crm"}, {"所有数据库"},
       "nothing more once all databases is chosen"},
      {[](CDatabaseLists* l) { l->Add({1}); l->Add({0, 1}); }, {"shop", "crm"}, {"所有数据库"},
       "all databases among others wins"},
      {[](CDatabaseLists* l) { l->Add({1, 2}); l->Remove({1}); }, {"shop", "所有数据库"}, {"crm"},
       "removed rows go back on top"},
      {[](CDatabaseLists* l) { l->Add({1, 2}); l->SelectAll(); }, {"crm", "shop"}, {"所有数据库"},
       "select all returns everything and chooses all databases"},
      {[](CDatabaseLists* l) { l->Add({0}); l->Remove({0}); l->SelectAll(); }, {"shop", "crm"},
       {"所有数据库"}, "select all after taking all databases back"},
      {[](CDatabaseLists* l) { l->Add({7}); }, {"所有数据库", "shop", "crm"}, {},
       "a row past the end is ignored"},
  };
  for (const Case& c : cases) {
    CDatabaseLists lists;
    lists.Fill(known);
    c.act(&lists);
    EXPECT_EQ(lists.Available(), c.available) << c.why;
    EXPECT_EQ(lists.Chosen(), c.chosen) << c.why;
  }
}

TEST(SqlTaskEditor, NewTaskBuildsTheRecord) {
  CSqlTaskEditor editor;
  EXPECT_TRUE(editor.Start(NewTask()).messages.empty());
  EXPECT_TRUE(editor.Controls().IsChecked(IDC_ST_DELETE));
  EXPECT_FALSE(editor.Controls().IsEnabled(IDC_ST_WEEKDAY));
  EXPECT_EQ(editor.Controls().Text(IDC_ST_DAYS), "30");
  editor.Lists().Add({2, 4});  // 所有数据库, shop2, shop, myshop, crm: shop and crm
  editor.Controls().SetText(IDC_ST_NAME, "nightly ");
  ASSERT_EQ(editor.Confirm(kExisting), "");
  EXPECT_EQ(BuildSqlTaskRecord(editor.Values(), 4),
            "<Check>YES</Check>    <sqlname>crm,shop</sqlname>    <sqlpath>E:\\sqlbak</sqlpath>    "
            "<despath>E:\\sqlbak</despath>    <iscut>是</iscut>    <date>每天</date>    "
            "<time>12</time>    <status>-</status>    <num>2</num>    <id>8</id>    "
            "<projectname>nightly</projectname>    <issave>删除30天以前的</issave>");
}

TEST(SqlTaskEditor, SelectAllStoresAllDatabases) {
  CSqlTaskEditor editor;
  editor.Start(NewTask());
  editor.Lists().SelectAll();
  editor.Controls().SetText(IDC_ST_NAME, "all");
  ASSERT_EQ(editor.Confirm(kExisting), "");
  EXPECT_EQ(editor.Values().strSqlName, "所有数据库");
  EXPECT_NE(BuildSqlTaskRecord(editor.Values(), 4).find("<num>4</num>"), std::string::npos);
}

TEST(SqlTaskEditor, ExistingRecordFillsTheControls) {
  CSqlTaskEditor editor;
  EXPECT_TRUE(editor.Start(ChangeTask(kRecord)).messages.empty());
  EXPECT_EQ(editor.Lists().Chosen(), Names({"shop2", "shop"}));
  EXPECT_EQ(editor.Lists().Available(), Names({"所有数据库", "myshop", "crm"}));
  const CControlModel& controls = editor.Controls();
  EXPECT_EQ(controls.Text(IDC_ST_NAME), "nightly");
  EXPECT_EQ(controls.Text(IDC_ST_WEEKDAY), "3");
  EXPECT_EQ(controls.Text(IDC_ST_DAYS), "7");
  EXPECT_TRUE(controls.IsChecked(IDC_ST_ZIP_NO));
  ASSERT_EQ(editor.Confirm(kExisting), "");
  EXPECT_EQ(BuildSqlTaskRecord(editor.Values(), 4),
            "<Check>YES</Check>    <sqlname>shop2,shop</sqlname>    <sqlpath>E:\\sqlbak</sqlpath>    "
            "<despath>E:\\sqlbak</despath>    <iscut>否</iscut>    <date>每周星期3</date>    "
            "<time>3</time>    <status>2024-05-01 03:00:00</status>    <num>2</num>    <id>4</id>    "
            "<projectname>nightly</projectname>    <issave>删除7天以前的</issave>");
}

TEST(SqlTaskEditor, DayRulesOfRecords) {
  struct Case {
    const char* date;
    int checked;
    const char* monthDay;
    Names messages;
    const char* stored;  // the date OK writes, or nullptr when the console ends
  } cases[] = {
      {"每天", IDC_ST_DAILY, "", {}, "每天"},
      {"每月1,15号", IDC_ST_MONTHLY, "1,15", {}, "每月1,15号"},
      {"指定日期3月15号", 0, "", {}, "指定日期3月15号"},
      {"星期三", 0, "", {"星期三", "sql备份日期出错"}, nullptr},
  };
  for (const Case& c : cases) {
    std::string record = kRecord;
    record.replace(record.find("每周星期3"), std::string("每周星期3").size(), c.date);
    CSqlTaskEditor editor;
    EditorStart start = editor.Start(ChangeTask(record));
    EXPECT_EQ(start.messages, c.messages) << c.date;
    EXPECT_EQ(start.bEndConsole, c.stored == nullptr) << c.date;
    if (!c.stored) continue;
    if (c.checked) {
      EXPECT_TRUE(editor.Controls().IsChecked(c.checked)) << c.date;
    }
    EXPECT_EQ(editor.Controls().Text(IDC_ST_MONTHDAY), c.monthDay) << c.date;
    ASSERT_EQ(editor.Confirm(kExisting), "") << c.date;
    EXPECT_EQ(editor.Values().strDate, c.stored);
  }
}

TEST(SqlTaskEditor, ChecksOnOk) {
  ExpectOkChecks<CSqlTaskEditor>(
      {
        {{{IDC_ST_STORE, " E:\\sqlbak "}}, 0, "", "blanks around the folder"},
        {{{IDC_ST_STORE, "E:\\other"}}, 0, "存储路径不存在", "missing folder"},
        {{{IDC_ST_WEEKDAY, "7"}}, IDC_ST_WEEKLY, "", "Sunday"},
        {{{IDC_ST_WEEKDAY, "8"}}, IDC_ST_WEEKLY, "星期输入有误", "no eighth day"},
        {{{IDC_ST_WEEKDAY, ""}}, IDC_ST_WEEKLY, "星期输入有误", "weekly empties the weekday"},
        {{{IDC_ST_MONTHDAY, "0"}}, IDC_ST_MONTHLY, "月号输入有误", "day 0"},
        {{{IDC_ST_MONTHDAY, "31"}}, IDC_ST_MONTHLY, "", "day 31"},
        {{{IDC_ST_HOURS, ""}}, 0, "", "empty hours read 0"},
        {{{IDC_ST_HOURS, "25"}}, 0, "备份时间输入有误", "no 25 o'clock"},
        {{{IDC_ST_DAYS, "0"}}, 0, "删除天数输入有误", "0 days"},
        {{{IDC_ST_DAYS, "100000"}}, 0, "", "100000 days"},
        {{{IDC_ST_DAYS, "100001"}}, 0, "输入天数过大", "too many days"},
        {{{IDC_ST_DAYS, "0"}}, IDC_ST_KEEP, "", "keep never looks at the days"},
        {{{IDC_ST_NAME, ""}}, 0, "没有填入任何一个任务名称.或者包含<>?\"\\/*:|等非法字符", "no name"},
        {{{IDC_ST_NAME, "a/b"}}, 0, "没有填入任何一个任务名称.或者包含<>?\"\\/*:|等非法字符", "slash"},
        {{{IDC_ST_NAME, "俓库"}}, 0, "", "the trail byte 0x5C of 俓 is no backslash"},
        {{{IDC_ST_NAME, ".."}}, 0, "任务名称不能用作文件夹名：不能是“.”或“..”，不能以“.”或空格结尾，也不能是CON、NUL等设备名", "no folder"},
        {{{IDC_ST_NAME, "db."}}, 0, "任务名称不能用作文件夹名：不能是“.”或“..”，不能以“.”或空格结尾，也不能是CON、NUL等设备名", "dot"},
        {{{IDC_ST_NAME, "   "}}, 0, "任务名称不能用作文件夹名：不能是“.”或“..”，不能以“.”或空格结尾，也不能是CON、NUL等设备名", "blanks"},
        {{{IDC_ST_NAME, "nul.txt"}}, 0, "任务名称不能用作文件夹名：不能是“.”或“..”，不能以“.”或空格结尾，也不能是CON、NUL等设备名", "device"},
        {{{IDC_ST_NAME, "daily"}}, 0, "该任务名称已经存在！", "taken"},
        {{{IDC_ST_NAME, "daily  "}}, 0, "该任务名称已经存在！", "taken once trimmed"},
        {{{IDC_ST_NAME, "Daily"}}, 0, "该任务名称已经存在！", "one folder whatever the case"},
        {{{IDC_ST_HOURS, "3|||"}}, 0, "输入的内容不能包含“|||”，请修改后再确定。", "separator"},
      },
      [](CSqlTaskEditor* editor) {
        editor->Start(NewTask());
        editor->Lists().Add({1});
        editor->Controls().SetText(IDC_ST_NAME, "nightly");
      }, kExisting);
  CSqlTaskEditor editor;
  editor.Start(NewTask());
  EXPECT_EQ(editor.Confirm(kExisting), "你没有任何选择一个数据库。");
}

TEST(SqlTaskEditor, SecondOkAfterAFailureStoresTheSameTexts) {
  CSqlTaskEditor editor;
  editor.Start(ChangeTask(kRecord));
  editor.Controls().SetText(IDC_ST_HOURS, "30");
  EXPECT_EQ(editor.Confirm(kExisting), "备份时间输入有误");
  editor.Controls().SetText(IDC_ST_HOURS, "3");
  ASSERT_EQ(editor.Confirm(kExisting), "");
  EXPECT_EQ(editor.Values().strDate, "每周星期3");
  EXPECT_EQ(editor.Values().strIsSave, "删除7天以前的");
}

}  // namespace
}  // namespace dorvik
