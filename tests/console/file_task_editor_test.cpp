// The file task editor without windows: records into controls, choice rules, checks on OK.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "config/file_task_record.h"
#include "console/editors/file_task_editor.h"
#include "console/resource.h"
#include "tests/console/ok_check_cases.h"

namespace dorvik {
namespace {

const char kRecord[] =
    "<Check>NO</Check>    <SouPath>D:\\data</SouPath>    <DesPath>E:\\bak</DesPath>    "
    "<strfile>!指定文件/!@指定文件名/@#file,test.*/#$备份其它文件/$</strfile>    "
    "<status>2024-05-01 02:00:00</status>    <striscut>备份后压缩</striscut>    "
    "<strdate>每周3</strdate>    <m_strtime>2,14</m_strtime>    <m_strID>5</m_strID>    "
    "<strissave>删除45天以前的</strissave>";

std::string WithField(const std::string& record, const std::string& tag, const std::string& value) {
  std::string open = "<" + tag + ">", close = "</" + tag + ">";
  std::string::size_type begin = record.find(open) + open.size();
  return record.substr(0, begin) + value + record.substr(record.find(close));
}

const PathExists kExisting = [](const std::string& path) {
  static const std::set<std::string> folders = {"D:\\data", "E:\\bak", "F:\\store"};
  return folders.count(path) > 0;
};

TEST(FileTaskEditor, NewTaskWithOnlyASourceStoresTheDefaults) {
  CFileTaskEditor editor;
  EditorStart start = editor.Start("", "F:\\store");
  EXPECT_TRUE(start.messages.empty());
  EXPECT_EQ(editor.Controls().Text(IDC_FT_STORE), "F:\\store");
  for (int id : {IDC_FT_BY_NAME, IDC_FT_NAMES, IDC_FT_INCLUDE, IDC_FT_EXCLUDE, IDC_FT_DAYS,
                 IDC_FT_WEEKDAY, IDC_FT_MONTHDAY}) {
    EXPECT_FALSE(editor.Controls().IsEnabled(id)) << id;
  }
  editor.Controls().SetText(IDC_FT_SOURCE, "D:\\data   ");
  ASSERT_EQ(editor.Confirm(kExisting), "");
  long long nextId = 3;
  EXPECT_EQ(BuildFileTaskRecord(editor.Values(), &nextId),
            "<Check>YES</Check>    <SouPath>D:\\data</SouPath>    <DesPath>F:\\store</DesPath>    "
            "<strfile>!所有文件/!@指定文件/@#/#$备份此类型/$</strfile>    <status>-</status>    "
            "<striscut>是</striscut>    <strdate>每天</strdate>    <m_strtime>12</m_strtime>    "
            "<m_strID>4</m_strID>    <strissave>保留</strissave>");
}

TEST(FileTaskEditor, ChoiceRules) {
  struct Case {
    std::vector<int> clicks;
    std::vector<int> enabled, disabled, checked, unchecked;
    const char* names;  // expected text of the name list, or nullptr
    const char* why;
  } cases[] = {
      {{IDC_FT_SOME_FILES}, {IDC_FT_BY_NAME, IDC_FT_NAMES, IDC_FT_INCLUDE, IDC_FT_EXCLUDE}, {},
       {IDC_FT_SOME_FILES, IDC_FT_BY_NAME, IDC_FT_INCLUDE}, {IDC_FT_ALL_FILES, IDC_FT_EXCLUDE},
       kFileNamesHint, "specified files chains to file names and 'back up these'"},
      {{IDC_FT_SOME_FILES, IDC_FT_ALL_FILES}, {},
       {IDC_FT_BY_NAME, IDC_FT_NAMES, IDC_FT_INCLUDE, IDC_FT_EXCLUDE}, {IDC_FT_ALL_FILES},
       {IDC_FT_SOME_FILES}, kFileNamesHint, "back to all files keeps the list text"},
      {{IDC_FT_SOME_FILES, IDC_FT_EXCLUDE}, {}, {}, {IDC_FT_EXCLUDE}, {IDC_FT_INCLUDE}, nullptr,
       "exclude unchecks include"},
      {{IDC_FT_ZIP_NONE}, {}, {}, {IDC_FT_ZIP_NONE}, {IDC_FT_ZIP_DIRECT, IDC_FT_ZIP_AFTER}, nullptr,
       "one compression mode"},
      {{IDC_FT_DELETE}, {IDC_FT_DAYS}, {}, {IDC_FT_DELETE}, {IDC_FT_KEEP}, nullptr, "delete"},
      {{IDC_FT_DELETE, IDC_FT_KEEP}, {}, {IDC_FT_DAYS}, {IDC_FT_KEEP}, {IDC_FT_DELETE}, nullptr,
       "keep again"},
      {{IDC_FT_WEEKLY}, {IDC_FT_WEEKDAY}, {IDC_FT_MONTHDAY}, {IDC_FT_WEEKLY},
       {IDC_FT_DAILY, IDC_FT_MONTHLY}, nullptr, "weekly"},
      {{IDC_FT_MONTHLY}, {IDC_FT_MONTHDAY}, {IDC_FT_WEEKDAY}, {IDC_FT_MONTHLY},
       {IDC_FT_DAILY, IDC_FT_WEEKLY}, nullptr, "monthly"},
      {{IDC_FT_MONTHLY, IDC_FT_DAILY}, {}, {IDC_FT_WEEKDAY, IDC_FT_MONTHDAY}, {IDC_FT_DAILY},
       {IDC_FT_MONTHLY}, nullptr, "daily again"},
  };
  for (const Case& c : cases) {
    CFileTaskEditor editor;
    editor.Start("", "F:\\store");
    for (int id : c.clicks) EXPECT_TRUE(editor.Choose(id)) << c.why;
    const CControlModel& controls = editor.Controls();
    for (int id : c.enabled) EXPECT_TRUE(controls.IsEnabled(id)) << c.why << " " << id;
    for (int id : c.disabled) EXPECT_FALSE(controls.IsEnabled(id)) << c.why << " " << id;
    for (int id : c.checked) EXPECT_TRUE(controls.IsChecked(id)) << c.why << " " << id;
    for (int id : c.unchecked) EXPECT_FALSE(controls.IsChecked(id)) << c.why << " " << id;
    if (c.names) {
      EXPECT_EQ(controls.Text(IDC_FT_NAMES), c.names) << c.why;
    }
  }
  CFileTaskEditor editor;
  editor.Start("", "");
  EXPECT_FALSE(editor.Choose(IDC_FT_OK)) << "a push button has no rule";
  editor.Choose(IDC_FT_DELETE);
  EXPECT_EQ(editor.Controls().Text(IDC_FT_DAYS), "30");
}

TEST(FileTaskEditor, ExistingRecordFillsTheControls) {
  CFileTaskEditor editor;
  EXPECT_TRUE(editor.Start(kRecord, "F:\\store").messages.empty());
  const CControlModel& controls = editor.Controls();
  EXPECT_EQ(controls.Text(IDC_FT_NAMES), "file,test.*");
  EXPECT_EQ(controls.Text(IDC_FT_WEEKDAY), "3");
  EXPECT_EQ(controls.Text(IDC_FT_DAYS), "45");
  EXPECT_EQ(controls.Text(IDC_FT_HOURS), "2,14");
  for (int id : {IDC_FT_SOME_FILES, IDC_FT_BY_NAME, IDC_FT_EXCLUDE, IDC_FT_ZIP_AFTER,
                 IDC_FT_WEEKLY, IDC_FT_DELETE}) {
    EXPECT_TRUE(controls.IsChecked(id)) << id;
  }
  ASSERT_EQ(editor.Confirm(kExisting), "");
  long long nextId = 9;
  EXPECT_EQ(BuildFileTaskRecord(editor.Values(), &nextId), kRecord) << "unchanged on OK";
  EXPECT_EQ(nextId, 9);
}

TEST(FileTaskEditor, RecordsThatLoadSpecially) {
  struct Case {
    const char* tag;
    const char* value;
    std::vector<std::string> messages;
    bool bEnd;
    const char* why;
  } cases[] = {
      {"striscut", "压缩", {"是否压缩取内容出错"}, true, "unknown compression ends the console"},
      {"strfile", "!全部/!@指定文件名/@#a/#$备份此文件/$", {"所有文件取内容有错"}, false, "bad scope"},
      {"strfile", "!指定文件/!@其它/@#a/#$备份此文件/$", {"指定文件名取内容有错"}, false, "bad kind"},
      {"strfile", "!指定文件/!@指定文件名/@#a/#$备份/$", {"备份取内容出错"}, false, "bad direction"},
      {"strfile", "!指定文件/!@指定类型/@#*.tmp/#$备份/$", {"取内容出错"}, false, "bad type direction"},
      {"strfile", "!指定文件/!@指定类型/@#*.tmp/#$备份其它类型/$", {}, false, "types load quietly"},
      {"strdate", "3月15号", {}, false, "yearly date"},
  };
  for (const Case& c : cases) {
    CFileTaskEditor editor;
    EditorStart start = editor.Start(WithField(kRecord, c.tag, c.value), "");
    EXPECT_EQ(start.messages, c.messages) << c.why;
    EXPECT_EQ(start.bEndConsole, c.bEnd) << c.why;
  }
}

TEST(FileTaskEditor, TypeFilterMustBeSwitchedToNames) {
  CFileTaskEditor editor;
  editor.Start(WithField(kRecord, "strfile", "!指定文件/!@指定类型/@#*.tmp/#$备份此类型/$"), "");
  EXPECT_EQ(editor.Controls().Text(IDC_FT_NAMES), kFileNamesHint);
  EXPECT_EQ(editor.Confirm(kExisting), "文件名填写出错");
  editor.FocusNames();
  editor.Controls().SetText(IDC_FT_NAMES, "a.txt");
  ASSERT_EQ(editor.Confirm(kExisting), "");
  EXPECT_EQ(editor.Values().strListKind, "指定文件名");
  EXPECT_EQ(editor.Values().strList, "a.txt");
}

TEST(FileTaskEditor, YearlyDateIsKept) {
  CFileTaskEditor editor;
  editor.Start(WithField(kRecord, "strdate", "3月15号"), "");
  ASSERT_EQ(editor.Confirm(kExisting), "");
  long long nextId = 0;
  EXPECT_NE(BuildFileTaskRecord(editor.Values(), &nextId).find("<strdate>3月15号</strdate>"),
            std::string::npos);
}

TEST(FileTaskEditor, ChecksOnOk) {
  ExpectOkChecks<CFileTaskEditor>(
      {
        {{{IDC_FT_SOURCE, ""}, {IDC_FT_HOURS, "99"}}, 0, "源路径不存在", "empty source first"},
        {{{IDC_FT_SOURCE, "D:\\nothing"}}, 0, "源路径不存在", "missing source"},
        {{{IDC_FT_STORE, "E:\\nothing"}}, 0, "存储路径不存在", "missing store"},
        {{{IDC_FT_WEEKDAY, "三"}}, IDC_FT_WEEKLY, "", "三 is Wednesday"},
        {{{IDC_FT_WEEKDAY, "日"}}, IDC_FT_WEEKLY, "", "日 is Sunday"},
        {{{IDC_FT_WEEKDAY, "7"}}, IDC_FT_WEEKLY, "", "7 is Sunday"},
        {{{IDC_FT_WEEKDAY, "8"}}, IDC_FT_WEEKLY, "星期输入有误", "no eighth day"},
        {{{IDC_FT_WEEKDAY, "星期三"}}, IDC_FT_WEEKLY, "星期输入有误", "reads 0"},
        {{{IDC_FT_MONTHDAY, "0"}}, IDC_FT_MONTHLY, "", "day 0 accepted"},
        {{{IDC_FT_MONTHDAY, "1,15"}}, IDC_FT_MONTHLY, "", "list accepted"},
        {{{IDC_FT_MONTHDAY, "32"}}, IDC_FT_MONTHLY, "日期输入错误", "no 32nd"},
        {{{IDC_FT_MONTHDAY, ""}}, IDC_FT_MONTHLY, "日期输入错误", "empty day"},
        {{{IDC_FT_DAYS, "0"}}, IDC_FT_DELETE, "", "0 days"},
        {{{IDC_FT_DAYS, "10000"}}, IDC_FT_DELETE, "", "10000 days"},
        {{{IDC_FT_DAYS, "10001"}}, IDC_FT_DELETE, "保存天数输入错误", "too many days"},
        {{{IDC_FT_DAYS, ""}}, IDC_FT_DELETE, "保存天数输入错误", "empty days"},
        {{{IDC_FT_DAYS, "abc"}}, 0, "", "keep never looks at the days"},
        {{{IDC_FT_HOURS, "24"}}, 0, "", "24 accepted"},
        {{{IDC_FT_HOURS, "8,12,18"}}, 0, "", "hour list"},
        {{{IDC_FT_HOURS, "25"}}, 0, "备份时间出错", "no 25 o'clock"},
        {{{IDC_FT_HOURS, ""}}, 0, "备份时间出错", "empty hours"},
        {{}, IDC_FT_SOME_FILES, "文件名填写出错", "the hint is no name"},
        {{{IDC_FT_NAMES, ""}}, IDC_FT_SOME_FILES, "文件名填写出错", "no names"},
        {{{IDC_FT_NAMES, "a|||b"}}, IDC_FT_SOME_FILES, "输入的内容不能包含“|||”，请修改后再确定。",
         "a separator would split the record"},
        {{{IDC_FT_HOURS, "12<x>"}}, 0, "输入的内容不能包含“<”，请修改后再确定。", "tag text"},
      },
      [](CFileTaskEditor* editor) {
        editor->Start("", "F:\\store");
        editor->Controls().SetText(IDC_FT_SOURCE, "D:\\data");
      }, kExisting);
}

TEST(FileTaskEditor, FailedPathCheckRestoresTheKnownFolder) {
  CFileTaskEditor editor;
  editor.Start(kRecord, "");
  editor.Controls().SetText(IDC_FT_STORE, "Q:\\gone");
  EXPECT_EQ(editor.Confirm(kExisting), "存储路径不存在");
  EXPECT_EQ(editor.Controls().Text(IDC_FT_STORE), "E:\\bak");
}

TEST(FileTaskEditor, DropsAlternateFromTheSource) {
  CDropAlternation drops;
  EXPECT_EQ(drops.NextEdit(), IDC_FT_SOURCE);
  EXPECT_EQ(drops.NextEdit(), IDC_FT_STORE);
  EXPECT_EQ(drops.NextEdit(), IDC_FT_SOURCE);
  EXPECT_EQ(&CDropAlternation::ForConsoleRun(), &CDropAlternation::ForConsoleRun());
}

}  // namespace
}  // namespace dorvik
