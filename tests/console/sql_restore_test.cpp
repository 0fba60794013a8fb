#include <gtest/gtest.h>

#include "console/sql_restore.h"
#include "tests/common/fake_file_system.h"
#include "tests/jobs/recording_process_runner.h"

using namespace dorvik;

namespace {

// Records every statement; those containing a key of `failures` fail with its text.
class CRecordingConnection : public ISqlConnection {
 public:
  bool Execute(const std::string& statement, std::string* error) override {
    statements.push_back(statement);
    for (const auto& failure : failures) {
      if (statement.find(failure.first) != std::string::npos) {
        *error = failure.second;
        return false;
      }
    }
    return true;
  }
  bool QueryNames(const std::string&, std::vector<std::string>*, std::string*) override { return false; }
  std::vector<std::string> statements;
  std::map<std::string, std::string> failures;
};

class CRecordingView : public IRestoreView {
 public:
  void SetCaption(const std::string& caption) override { events.push_back("caption " + caption); }
  void ShowText(const std::string& text) override { events.push_back("text " + text); }
  std::vector<std::string> events;
};

const char* const kKill = "exec killsessions ";

}  // namespace

TEST(SqlRestore, TextsByteForByte) {
  struct Case {
    std::string actual, expected;
    const char* why;
  } cases[] = {
      {ArchiveExtractCommandLine("C:\\Program Files\\WinRAR\\", "D:\\my sql\\2024-5-1\\db_a_2024.zip"),
       "C:\\Program Files\\WinRAR\\rar.exe  e -y \"D:\\my sql\\2024-5-1\\db_a_2024.zip\" \"D:\\my sql\\2024-5-1\"\\",
       "both quoted, the destination's backslash after the quote"},
      {UnpackedBackupPath("D:\\x.zip\\db_a_2024.zip"), "D:\\x.bak\\db_a_2024.bak", "every .zip replaced"},
      {RestoreQuestion({"shop", "t1", "2024-05-01 08:30:00", "D:\\x"}), "确定还原[ shop t1 2024-05-01 08:30:00 ]吗？",
       "question"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.actual) << c.why;
}

TEST(SqlRestore, RunsInOrderAndAlwaysRemovesTheUnpackedFile) {
  const std::string longName = "a]b'c_is_longer_than_twenty";
  struct Case {
    std::string output;
    const char* failing;  // a statement part that fails, or ""
    std::vector<std::string> statements;
    std::vector<std::string> events;
    const char* why;
  } cases[] = {
      {"D:\\sql\\db_shop_2024.bak", "",
       {std::string(kKill) + "'shop'", "RESTORE database [shop] from disk='D:\\sql\\db_shop_2024.bak'"},
       {"caption shop...", "text 操作已成功！\n数据库名：shop   文件路径：D:\\sql\\db_shop_2024.bak\n", "caption 还原"},
       "a .bak restores directly"},
      {"D:\\it's\\db_" + longName + "_2024.zip", "RESTORE",
       {std::string(kKill) + "'a]b''c_is_longer_than_twenty'",
        "RESTORE database [a]]b'c_is_longer_than_twenty] from disk='D:\\it''s\\db_a]b''c_is_longer_than_twenty_2024.bak'"},
       {"caption 正在解压...", "caption " + longName + "...", "text in use", "caption 还原"},
       "a failed restore from an archive still removes the unpacked file"},
      {"D:\\sql\\db_shop_2024.bak", "exec",
       {std::string(kKill) + "'shop'", "RESTORE database [shop] from disk='D:\\sql\\db_shop_2024.bak'"},
       {"caption shop...", "text no proc", "text 操作已成功！\n数据库名：shop   文件路径：D:\\sql\\db_shop_2024.bak\n",
        "caption 还原"},
       "a failing procedure is shown and the restore goes on"},
  };
  for (const Case& c : cases) {
    FakeFileSystem fs;
    fs.AddFile(c.output, "backup");
    RecordingProcessRunner runner;
    const std::string unpacked = UnpackedBackupPath(c.output);
    runner.onStart = [&](const std::string&) { fs.AddFile(unpacked, "unpacked"); };
    CRecordingConnection connection;
    connection.failures = {{"create proc", "exists"}};
    if (std::string(c.failing) == "RESTORE") connection.failures["RESTORE"] = "in use";
    if (std::string(c.failing) == "exec") connection.failures["exec"] = "no proc";
    CRecordingView view;
    RestoreSqlBackup({"db", "task", "time", c.output}, {"C:\\rar\\", &connection, runner, fs}, view);

    std::vector<std::string> statements(connection.statements.begin() + 1, connection.statements.end());
    EXPECT_EQ(0u, connection.statements[0].find("create proc killsessions")) << c.why;
    EXPECT_EQ(c.statements, statements) << c.why;
    EXPECT_EQ(c.events, view.events) << c.why;
    EXPECT_TRUE(fs.Exists(c.output)) << c.why;
    if (unpacked != c.output) {
      EXPECT_FALSE(fs.Exists(unpacked)) << c.why;
      ASSERT_EQ(1u, runner.starts.size()) << c.why;
      EXPECT_EQ("C:\\rar\\rar.exe", runner.starts[0].program) << c.why;
      EXPECT_EQ(ArchiveExtractCommandLine("C:\\rar\\", c.output), runner.starts[0].commandLine) << c.why;
    }
  }
}

TEST(SqlRestore, WithoutAConnectionTheFailuresAreShown) {
  FakeFileSystem fs;
  RecordingProcessRunner runner;
  CRecordingView view;
  RestoreSqlBackup({"db", "task", "time", "D:\\db_a_2024.bak"}, {"", nullptr, runner, fs}, view);
  EXPECT_EQ((std::vector<std::string>{"caption a...", "text 未连接SQL Server。", "text 未连接SQL Server。", "caption 还原"}),
            view.events);
}
