#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "console/core/archiver_choice.h"
#include "console/core/sql_backup_start.h"
#include "console/core/start_switch.h"
#include "console/core/task_commands.h"
#include "console/editors/editor_values_check.h"

using namespace dorvik;

TEST(StartSwitch, OnlyTheExactBytesStopTheService) {
  struct Case {
    const char* tail;
    bool stop;
  } cases[] = {
      {"/stopsvc", true}, {"/STOPSVC", false},  {"/stopsvc ", false}, {" /stopsvc", false},
      {"", false},        {"/stopsvc2", false}, {"-stopsvc", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsStopServiceSwitch(c.tail), c.stop) << "[" << c.tail << "]";
}

TEST(TaskCommands, ChosenRow) {
  struct Case {
    int rows;
    int mark;
    int chosen;
    const char* why;
  } cases[] = {
      {1, -1, 0, "the only row needs no selection"},
      {1, 0, 0, "the only row, selected"},
      {3, -1, -1, "several rows, none marked"},
      {3, 2, 2, "several rows, the marked one"},
      {0, -1, -1, "an empty list"},
      {2, 5, -1, "a stale mark beyond the rows"},
  };
  for (const Case& c : cases) EXPECT_EQ(ChosenRow(c.rows, c.mark), c.chosen) << c.why;
}

TEST(TaskCommands, QuestionTexts) {
  EXPECT_EQ(FileDeleteQuestion({"2", "D:\\data", "是", "", "每天", "-", "保留", "5"}),
            "确定删除[  D:\\data 是  每天 -  ]吗?");
  EXPECT_EQ(SqlDeleteQuestion("nightly"), "确定删除任务[ nightly ]吗?");
  EXPECT_EQ(SqlBackupQuestion("nightly"), "请问需要立即备份[ nightly ]吗？");
}

TEST(TaskCommands, SqlBackupRefusals) {
  struct Case {
    int row;
    bool idle;
    const char* refusal;
  } cases[] = {
      {-1, true, "你没有选中任何一个任务"},
      {-1, false, "你没有选中任何一个任务"},
      {0, false, "还有一个进程在进行备份，请稍等再试..."},
      {2, true, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SqlBackupRefusal(c.row, c.idle), c.refusal) << c.row << c.idle;
}

TEST(TaskCommands, WhichEditsRestartTheService) {
  using E = TaskEditEnd;
  struct Case {
    TaskKind kind;
    TaskEdit edit;
    bool declined, done, notFound, failed;
  } cases[] = {
      {TaskKind::File, TaskEdit::Add, false, true, false, false},
      {TaskKind::File, TaskEdit::Change, false, true, false, false},
      {TaskKind::File, TaskEdit::Delete, true, true, true, true},  // whatever the answer
      {TaskKind::Sql, TaskEdit::Add, false, true, false, false},
      {TaskKind::Sql, TaskEdit::Change, false, true, false, false},
      {TaskKind::Sql, TaskEdit::Delete, false, true, true, false},  // once the row is gone
  };
  for (const Case& c : cases) {
    const int at = static_cast<int>(&c - cases);
    EXPECT_EQ(RestartsServiceAfter(c.kind, c.edit, E::Declined), c.declined) << at;
    EXPECT_EQ(RestartsServiceAfter(c.kind, c.edit, E::Done), c.done) << at;
    EXPECT_EQ(RestartsServiceAfter(c.kind, c.edit, E::NotFound), c.notFound) << at;
    EXPECT_EQ(RestartsServiceAfter(c.kind, c.edit, E::Failed), c.failed) << at;
  }
  EXPECT_EQ(EditEndOf(TaskChange::NotFound), E::NotFound);
}

// The steps run in order and the first that fails ends the attempt: nothing is asked without a
// row or while a backup runs, and the record and its folder are read only after the Yes.
TEST(TaskCommands, SqlBackupStepsInOrder) {
  const std::string record = "<id>3</id><despath>D:\\bak</despath>";
  struct Case {
    int row;
    bool idle, yes, found, folder;
    const char* steps;  // q: asked, r: record looked up, p: folder looked at
    const char* refusal;
    bool start;
  } cases[] = {
      {-1, true, true, true, true, "", "你没有选中任何一个任务", false},
      {0, false, true, true, true, "", "还有一个进程在进行备份，请稍等再试...", false},
      {0, true, false, true, true, "q", "", false},
      {0, true, true, false, true, "qr", "初始化错误", false},
      {0, true, true, true, false, "qrp", "目标文件路径不存在！", false},
      {0, true, true, true, true, "qrp", "", true},
  };
  for (const Case& c : cases) {
    std::string steps, asked, looked;
    const SqlBackupStart start = PrepareSqlBackup(
        c.row, c.idle, "nightly",
        {[&](const std::string& question) { steps += "q"; asked = question; return c.yes; },
         [&](std::string* found) { steps += "r"; *found = record; return c.found; },
         [&](const std::string& path) { steps += "p"; looked = path; return c.folder; }});
    const int at = static_cast<int>(&c - cases);
    EXPECT_EQ(steps, c.steps) << at;
    EXPECT_EQ(start.strRefusal, c.refusal) << at;
    EXPECT_EQ(start.bStart, c.start) << at;
    if (!asked.empty()) EXPECT_EQ(asked, "请问需要立即备份[ nightly ]吗？");
    if (!looked.empty()) EXPECT_EQ(looked, "D:\\bak");
    if (c.start) EXPECT_EQ(start.strRecord, record);
  }
}

TEST(TaskCommands, OtherTaskNamesLeaveOutTheEditedRow) {
  EXPECT_EQ(OtherTaskNames({"a", "b", "c"}, 1), (std::vector<std::string>{"a", "c"}));
  EXPECT_TRUE(OtherTaskNames({"only"}, 0).empty());
}

TEST(ArchiverChoice, FirstStartCheck) {
  const std::string existing[] = {"D:\\WinRAR\\Rar.exe", "D:\\WinRAR\\RAR.EXE", "C:\\x\\rar.exe",
                                  "C:\\x\\winrar.exe", "C:\\x\\unrar.exe.bak"};
  auto exists = [&](const std::string& p) {
    return std::find(std::begin(existing), std::end(existing), p) != std::end(existing);
  };
  struct Case {
    const char* path;
    bool accepted;
    const char* why;
  } cases[] = {
      {"D:\\WinRAR\\Rar.exe", true, "Rar.exe spelling"},
      {"C:\\x\\rar.exe", true, "rar.exe spelling"},
      {"D:\\WinRAR\\RAR.EXE", false, "the search is case-sensitive"},
      {"C:\\x\\winrar.exe", true, "contains rar.exe"},
      {"C:\\x\\unrar.exe.bak", true, "any existing file containing rar.exe"},
      {"C:\\gone\\rar.exe", false, "a missing file"},
      {"", false, "an empty path"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsAcceptedArchiverPath(c.path, exists), c.accepted) << c.why;
}

TEST(EditorValuesCheck, RefusesTextThatWouldBreakConfigDb) {
  FileTaskEditorValues file;
  file.strSouPath = "D:\\data";
  file.strList = "a,b";
  EXPECT_EQ(UnsafeFileTaskValues(file), "");
  struct Case {
    std::string FileTaskEditorValues::*field;
    const char* value;
    const char* found;
  } cases[] = {
      {&FileTaskEditorValues::strList, "a|||b", "|||"},
      {&FileTaskEditorValues::strSouPath, "D:\\</SouPath>", "<"},
      {&FileTaskEditorValues::strHours, "8>", ">"},
  };
  for (const Case& c : cases) {
    FileTaskEditorValues v = file;
    v.*c.field = c.value;
    EXPECT_EQ(UnsafeFileTaskValues(v),
              std::string("输入的内容不能包含“") + c.found + "”，请修改后再确定。")
        << c.value;
  }
  SqlTaskEditorValues sql;
  sql.strProjectName = "nightly";
  EXPECT_EQ(UnsafeSqlTaskValues(sql), "");
  sql.strStoreText = "E:\\a|||b";
  EXPECT_NE(UnsafeSqlTaskValues(sql), "");
}

// A folder whose name GBK cannot spell reaches the editor as '?' characters: refused where it
// is typed, since no job could reach it.
TEST(EditorValuesCheck, RefusesFoldersGbkCannotSpell) {
  const std::string refused = "”的名称含有简体中文代码页（GBK）无法表示的字符（显示为“?”），"
                              "不能作为源目录或存储目录。请将该文件夹改为中文或英文名称，或选择其他文件夹。";
  struct Case {
    std::string FileTaskEditorValues::*field;
    const char* value;
    bool bRefused;
    const char* why;
  } cases[] = {
      {&FileTaskEditorValues::strSouPath, "D:\\??_docs", true, "an emoji folder from the browser"},
      {&FileTaskEditorValues::strDesPath, "E:\\bak\\???", true, "a Korean storage folder from a drop"},
      {&FileTaskEditorValues::strSouPath, "D:\\数据\\报表", false, "Chinese names are GBK"},
      {&FileTaskEditorValues::strDesPath, "E:\\bak. ", false, "trailing dots and blanks are not '?'"},
      {&FileTaskEditorValues::strList, "a?.txt", false, "only folders: a mask may hold '?'"},
  };
  for (const Case& c : cases) {
    FileTaskEditorValues v;
    v.*c.field = c.value;
    EXPECT_EQ(UnsafeFileTaskValues(v), c.bRefused ? "文件夹“" + std::string(c.value) + refused : "") << c.why;
  }
  SqlTaskEditorValues sql;
  sql.strStoreText = "E:\\sql\\??";
  EXPECT_EQ(UnsafeSqlTaskValues(sql), "文件夹“E:\\sql\\??" + refused);
  sql.strStoreText = "E:\\sql?|||";
  EXPECT_EQ(UnsafeSqlTaskValues(sql), "输入的内容不能包含“|||”，请修改后再确定。") << "the document's own rule first";
}
