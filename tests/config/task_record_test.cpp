#include <gtest/gtest.h>

#include "common/text.h"
#include "config/config_store.h"
#include "config/document.h"
#include "config/file_task_record.h"
#include "config/sql_task_record.h"
#include "tests/config/fake_config_file.h"
#include "tests/config/fake_config_reactions.h"

using namespace dorvik;

namespace {

const char kExampleFileRecord[] =
    "<Check>YES</Check>    <SouPath>D:\\data</SouPath>    <DesPath>E:\\bak</DesPath>    "
    "<strfile>!指定文件/!@指定文件名/@#file,test.*/#$备份其它文件/$</strfile>    <status>-</status>    "
    "<striscut>是</striscut>    <strdate>每周3</strdate>    <m_strtime>2,14</m_strtime>    "
    "<m_strID>5</m_strID>    <strissave>删除30天以前的</strissave>";

const char kExampleSqlRecord[] =
    "<Check>YES</Check>    <sqlname>shop,crm</sqlname>    <sqlpath>E:\\sqlbak</sqlpath>    "
    "<despath>E:\\sqlbak</despath>    <iscut>是</iscut>    <date>每天</date>    <time>3</time>    "
    "<status>-</status>    <num>2</num>    <id>4</id>    <projectname>nightly</projectname>    "
    "<issave>删除7天以前的</issave>";

FileTaskEditorValues ExampleFileValues() {
  FileTaskEditorValues v;
  v.strSouPath = "D:\\data";
  v.strDesPath = "E:\\bak";
  v.strScope = "指定文件";
  v.strListKind = "指定文件名";
  v.strList = "file,test.*";
  v.strDirection = "备份其它文件";
  v.nCompressMode = 1;
  v.bKeep = false;
  v.nDays = 30;
  v.strDayMode = "每周";
  v.nWeekday = 3;
  v.strHours = "2,14";
  return v;
}

SqlTaskEditorValues ExampleSqlValues() {
  SqlTaskEditorValues v;
  v.strSqlName = "shop,crm";
  v.strStoreText = "E:\\sqlbak";
  v.strIsCut = "是";
  v.strDate = "每天";
  v.strTime = "3";
  v.nSelectedCount = 2;
  v.strID = "4";
  v.strProjectName = "nightly";
  v.strIsSave = "删除7天以前的";
  return v;
}

std::string Document(const std::string& fileRecords, const std::string& sqlRecords) {
  return "<rarpath>C:\\rar.exe</rarpath><defStorePath></defStorePath><FileBackups>|||" +
         fileRecords + "</FileBackups><SqlBackups>|||" + sqlRecords + "</SqlBackups>";
}

}  // namespace

TEST(FileTaskRecord, WorkedExampleIsAppendedByteForByte) {
  CFakeConfigFile file;
  file.SetDocument(DefaultConfigDocument("C:\\rar.exe"));
  CConfigStore store(file, SilentConfigReactions());
  long long next = 4;
  std::string record = BuildFileTaskRecord(ExampleFileValues(), &next);
  EXPECT_EQ(record, kExampleFileRecord);
  EXPECT_EQ(next, 5);
  ASSERT_TRUE(AddFileTask(store, record));
  EXPECT_EQ(file.Document(), Document(std::string(kExampleFileRecord) + "|||", ""));
  EXPECT_EQ(FileTaskRecordText(ReadFileTaskRecord(kExampleFileRecord)), kExampleFileRecord);
}

TEST(FileTaskRecord, BuildRules) {
  struct Case {
    const char* why;
    void (*edit)(FileTaskEditorValues&);
    const char* field;
    const char* expected;
  } cases[] = {
      {"trailing blanks leave the source", [](FileTaskEditorValues& v) { v.strSouPath = "D:\\a  "; },
       "SouPath", "D:\\a"},
      {"trailing blanks leave the storage", [](FileTaskEditorValues& v) { v.strDesPath = "E:\\b "; },
       "DesPath", "E:\\b"},
      {"no compression", [](FileTaskEditorValues& v) { v.nCompressMode = 3; }, "striscut", "否"},
      {"compress after backup", [](FileTaskEditorValues& v) { v.nCompressMode = 2; }, "striscut",
       "备份后压缩"},
      {"every day", [](FileTaskEditorValues& v) { v.strDayMode = "每天"; }, "strdate", "每天"},
      {"month day stored as typed", [](FileTaskEditorValues& v) {
         v.strDayMode = "每月";
         v.strMonthDayText = "1,15";
       }, "strdate", "每月1,15号"},
      {"a yearly date is kept", [](FileTaskEditorValues& v) { v.strDayMode = "3月8号"; },
       "strdate", "3月8号"},
      {"keep all", [](FileTaskEditorValues& v) { v.bKeep = true; }, "strissave", "保留"},
      {"changed task keeps its check", [](FileTaskEditorValues& v) {
         v.bNewTask = false;
         v.strCheck = "NO";
       }, "Check", "NO"},
      {"changed task keeps its status", [](FileTaskEditorValues& v) {
         v.bNewTask = false;
         v.strStatus = "2024-01-02 03:04:05";
       }, "status", "2024-01-02 03:04:05"},
      {"changed task keeps its id in decimal", [](FileTaskEditorValues& v) {
         v.bNewTask = false;
         v.strID = "12";
       }, "m_strID", "12"},
  };
  for (const Case& c : cases) {
    FileTaskEditorValues values = ExampleFileValues();
    c.edit(values);
    long long next = 4;
    std::string record = BuildFileTaskRecord(values, &next);
    EXPECT_EQ(GetTag(record, c.field), c.expected) << c.why;
    EXPECT_EQ(next, values.bNewTask ? 5 : 4) << c.why << ": only new tasks move the counter";
  }
}

TEST(FileTaskRecord, IdentifiersAndLookup) {
  EXPECT_EQ(NextFileTaskId({}), 0) << "the first task of an empty document gets 1";
  std::vector<std::string> records = {"<m_strID>1</m_strID>", "<m_strID>11</m_strID>",
                                      "<m_strID>3</m_strID>"};
  EXPECT_EQ(NextFileTaskId(records), 3) << "taken from the last record, not the largest";
  std::string found;
  ASSERT_TRUE(FindFileTaskRecord(records, "1", &found));
  EXPECT_EQ(found, "<m_strID>1</m_strID>");
  ASSERT_TRUE(FindFileTaskRecord({"<m_strID>11</m_strID>"}, "11", &found));
  EXPECT_FALSE(FindFileTaskRecord({"<m_strID>11</m_strID>"}, "1", &found))
      << "id 1 never matches id 11";
}

TEST(SqlTaskRecord, WorkedExampleIsAppendedByteForByte) {
  CFakeConfigFile file;
  file.SetDocument(DefaultConfigDocument("C:\\rar.exe"));
  CConfigStore store(file, SilentConfigReactions());
  std::string record = BuildSqlTaskRecord(ExampleSqlValues(), 9);
  EXPECT_EQ(record, kExampleSqlRecord);
  ASSERT_TRUE(AddSqlTask(store, record));
  EXPECT_EQ(file.Document(), Document("", std::string(kExampleSqlRecord) + "|||"));
  EXPECT_EQ(SqlTaskRecordText(ReadSqlTaskRecord(kExampleSqlRecord)), kExampleSqlRecord);
}

TEST(SqlTaskRecord, BuildRules) {
  struct Case {
    const char* why;
    void (*edit)(SqlTaskEditorValues&);
    const char* field;
    const char* expected;
  } cases[] = {
      {"one trailing backslash leaves despath",
       [](SqlTaskEditorValues& v) { v.strStoreText = "E:\\sqlbak\\"; }, "despath", "E:\\sqlbak"},
      {"sqlpath keeps its trailing backslash",
       [](SqlTaskEditorValues& v) { v.strStoreText = "E:\\sqlbak\\"; }, "sqlpath", "E:\\sqlbak\\"},
      {"blanks leave sqlpath", [](SqlTaskEditorValues& v) { v.strStoreText = "  E:\\s "; },
       "sqlpath", "E:\\s"},
      {"blanks stay in despath", [](SqlTaskEditorValues& v) { v.strStoreText = "  E:\\s "; },
       "despath", "  E:\\s "},
      // 0x5C as the trail byte of a GBK character is not a backslash.
      {"a GBK trail byte 0x5C is kept",
       [](SqlTaskEditorValues& v) { v.strStoreText = "E:\\\x81\x5C"; }, "despath", "E:\\\x81\x5C"},
      {"all databases count the known ones", [](SqlTaskEditorValues& v) {
         v.strSqlName = kAllDatabases;
         v.nSelectedCount = 1;
       }, "num", "9"},
      {"changed task keeps its status", [](SqlTaskEditorValues& v) {
         v.bNewTask = false;
         v.strStatus = "2024-01-02 03:04:05";
       }, "status", "2024-01-02 03:04:05"},
      {"trailing blanks leave the name", [](SqlTaskEditorValues& v) { v.strProjectName = "n  "; },
       "projectname", "n"},
  };
  for (const Case& c : cases) {
    SqlTaskEditorValues values = ExampleSqlValues();
    c.edit(values);
    std::string record = BuildSqlTaskRecord(values, 9);
    EXPECT_EQ(GetTag(record, c.field), c.expected) << c.why;
    EXPECT_TRUE(StartsWith(record, "<Check>YES</Check>    <sqlname>")) << c.why;
  }
}

TEST(SqlTaskRecord, NextIdIsOneMoreThanTheLargest) {
  EXPECT_EQ(NextSqlTaskId({}), 1);
  EXPECT_EQ(NextSqlTaskId({"<id>2</id>", "<id>7</id>"}), 8);
  EXPECT_EQ(NextSqlTaskId({"<id>7</id>", "<id>2</id>"}), 8) << "largest, not last";
}

TEST(TaskChanges, ChangeDeleteAndCheckTouchOnlyTheirRecord) {
  const std::string one = "<Check>YES</Check>    <SouPath>D:\\NO</SouPath>    <status>-</status>"
                          "    <m_strID>1</m_strID>";
  const std::string two = "<Check>YES</Check>    <SouPath>D:\\YES</SouPath>    <status>-</status>"
                          "    <m_strID>2</m_strID>";
  const std::string sql = "<Check>YES</Check>    <sqlname>NO</sqlname>    <status>-</status>"
                          "    <id>1</id>    <projectname>YES</projectname>";
  CFakeConfigFile file;
  CConfigStore store(file, SilentConfigReactions());
  file.SetDocument(Document(one + "|||" + two + "|||", sql + "|||"));

  std::vector<std::string> missing;
  EXPECT_EQ(SetFileTaskChecks(store, {{"1", false}, {"2", true}, {"9", false}}, &missing),
            TaskChange::NotFound);
  EXPECT_EQ(missing, std::vector<std::string>{"9"});
  const std::string oneOff = "<Check>NO</Check>" + one.substr(18);
  EXPECT_EQ(file.Document(), Document(oneOff + "|||" + two + "|||", sql + "|||"))
      << "only the Check value of task 1 changed; D:\\NO untouched";

  EXPECT_EQ(SetSqlTaskChecks(store, {{"1", false}}, &missing), TaskChange::Done);
  const std::string sqlOff = "<Check>NO</Check>" + sql.substr(18);
  EXPECT_EQ(file.Document(), Document(oneOff + "|||" + two + "|||", sqlOff + "|||"));

  // A run wrote a status while the editor was open: the change keeps it and the Check value.
  file.SetDocument(ReplaceAll(file.Document(), "<status>-</status>    <m_strID>1",
                              "<status>2024-05-06 07:08:09</status>    <m_strID>1"));
  const std::string edited = "<Check>YES</Check>    <SouPath>F:\\new</SouPath>    "
                             "<status>-</status>    <m_strID>1</m_strID>";
  EXPECT_EQ(ChangeFileTask(store, "1", edited), TaskChange::Done);
  const std::string merged = "<Check>NO</Check>    <SouPath>F:\\new</SouPath>    "
                             "<status>2024-05-06 07:08:09</status>    <m_strID>1</m_strID>";
  EXPECT_EQ(file.Document(), Document(merged + "|||" + two + "|||", sqlOff + "|||"))
      << "the changed record keeps its place";

  EXPECT_EQ(ChangeSqlTask(store, "1", sql), TaskChange::Done) << "an edited SQL task is enabled";
  EXPECT_EQ(file.Document(), Document(merged + "|||" + two + "|||", sql + "|||"));

  EXPECT_EQ(DeleteFileTask(store, "1"), TaskChange::Done);
  EXPECT_EQ(file.Document(), Document(two + "|||", sql + "|||"));
  EXPECT_EQ(DeleteSqlTask(store, "1"), TaskChange::Done);
  EXPECT_EQ(file.Document(), Document(two + "|||", ""));

  int writes = file.nWrites;
  EXPECT_EQ(DeleteFileTask(store, "1"), TaskChange::NotFound);
  EXPECT_EQ(ChangeSqlTask(store, "1", sql), TaskChange::NotFound);
  EXPECT_EQ(file.nWrites, writes) << "a missing record writes nothing";
}
