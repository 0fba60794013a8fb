#include <gtest/gtest.h>

#include "common/gbk.h"
#include "console/history/sql_restore.h"
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
      {ArchiveExtractCommandLine("C:\\Program Files\\WinRAR\\", "D:\\my sql\\2024-5-1\\db_a_2024.zip",
                                 "D:\\my sql\\2024-5-1\\"),
       "C:\\Program Files\\WinRAR\\rar.exe  e -y \"D:\\my sql\\2024-5-1\\db_a_2024.zip\" \"D:\\my sql\\2024-5-1\"\\",
       "both quoted, the destination's backslash after the quote"},
      {UnpackedBackupPath("D:\\x.zip.d\\db_a_2024.zip", "D:\\x.zip.d\\"), "D:\\x.zip.d\\db_a_2024.bak",
       "only the file name's .zip replaced"},
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
    CFakeFileSystem fs;
    fs.AddFile(c.output, "backup");
    CRecordingProcessRunner runner;
    const std::string unpacked = UnpackedBackupPath(c.output, DirectoryWithSlash(c.output));
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
      EXPECT_EQ(ArchiveExtractCommandLine("C:\\rar\\", c.output, DirectoryWithSlash(c.output)), runner.starts[0].commandLine) << c.why;
    }
  }
}

TEST(SqlRestore, WithoutAConnectionTheFailuresAreShown) {
  CFakeFileSystem fs;
  CRecordingProcessRunner runner;
  CRecordingView view;
  RestoreSqlBackup({"db", "task", "time", "D:\\db_a_2024.bak"}, {"", nullptr, runner, fs}, view);
  EXPECT_EQ((std::vector<std::string>{"caption a...", "text 未连接SQL Server。", "text 未连接SQL Server。", "caption 还原"}),
            view.events);
}

// The file the row names decides everything: its extension (any case) says ".bak" or archive,
// only its name's ".zip" becomes ".bak", and no other file is read, overwritten or deleted.
TEST(SqlRestore, RestoresTheChosenFileAndTouchesNoOther) {
  const std::string kRar = "C:\\rar\\rar.exe  e -y ";
  struct Case {
    std::string output;
    std::vector<std::string> others;  // files that exist beforehand and must stay as they are
    std::string commandLine;          // the archiver's, "" when none is started
    std::string unpacked;             // where the archiver puts the backup
    std::string restoredFrom;         // the RESTORE statement's file, "" when none runs
    const char* why;
  } cases[] = {
      {"D:\\sql\\shop\\2024-5-1\\db_shop_20240501083000.zip", {},
       kRar + "\"D:\\sql\\shop\\2024-5-1\\db_shop_20240501083000.zip\" \"D:\\sql\\shop\\2024-5-1\"\\",
       "D:\\sql\\shop\\2024-5-1\\db_shop_20240501083000.bak", "D:\\sql\\shop\\2024-5-1\\db_shop_20240501083000.bak",
       "the ordinary layout, byte for byte"},
      {"D:\\x.zip.d\\crm\\2024-5-1\\db_crm_20240501083000.zip", {"D:\\x.bak.d\\crm\\2024-5-1\\db_crm_20240501083000.bak"},
       kRar + "\"D:\\x.zip.d\\crm\\2024-5-1\\db_crm_20240501083000.zip\" \"D:\\x.zip.d\\crm\\2024-5-1\"\\",
       "D:\\x.zip.d\\crm\\2024-5-1\\db_crm_20240501083000.bak", "D:\\x.zip.d\\crm\\2024-5-1\\db_crm_20240501083000.bak",
       "a storage folder x.zip.d: the decoy in x.bak.d is neither restored nor deleted"},
      {"D:\\sql.bak\\crm\\db_crm_2024.zip", {},
       kRar + "\"D:\\sql.bak\\crm\\db_crm_2024.zip\" \"D:\\sql.bak\\crm\"\\", "D:\\sql.bak\\crm\\db_crm_2024.bak",
       "D:\\sql.bak\\crm\\db_crm_2024.bak", "a folder named sql.bak holds archives, not backups"},
      {"D:\\x.zip\\db_crm_2024.bak", {}, "", "", "D:\\x.zip\\db_crm_2024.bak", "a .bak below a folder named x.zip"},
      {"D:\\sql\\db_crm_2024.ZIP", {}, kRar + "\"D:\\sql\\db_crm_2024.ZIP\" \"D:\\sql\"\\",
       "D:\\sql\\db_crm_2024.bak", "D:\\sql\\db_crm_2024.bak", "an upper-case .ZIP"},
      {"D:\\sql\\db_crm_2024.BAK", {}, "", "", "D:\\sql\\db_crm_2024.BAK", "an upper-case .BAK"},
      {"D:\\sql\\db_crm_2024.zip", {"D:\\sql\\db_crm_2024.bak"},
       kRar + "\"D:\\sql\\db_crm_2024.zip\" \"D:\\sql\\db_crm_2024.restore\"\\",
       "D:\\sql\\db_crm_2024.restore\\db_crm_2024.bak", "D:\\sql\\db_crm_2024.restore\\db_crm_2024.bak",
       "a .bak already beside the archive: unpacked into a folder of its own, the old file kept"},
      {"D:\\sql\\db_crm_2024.zip", {"D:\\sql\\db_crm_2024.bak", "D:\\sql\\db_crm_2024.restore\\x"},
       kRar + "\"D:\\sql\\db_crm_2024.zip\" \"D:\\sql\\db_crm_2024.restore2\"\\",
       "D:\\sql\\db_crm_2024.restore2\\db_crm_2024.bak", "D:\\sql\\db_crm_2024.restore2\\db_crm_2024.bak",
       "that folder's name taken: the next one"},
      {"D:\\sql\\db_crm_2024.zip.part", {}, "", "", "", "neither .bak nor .zip: nothing is run"},
  };
  for (const Case& c : cases) {
    CFakeFileSystem fs;
    fs.AddFile(c.output, "chosen");
    for (const std::string& other : c.others) fs.AddFile(other, "other");
    CRecordingProcessRunner runner;
    runner.onStart = [&](const std::string&) { fs.AddFile(c.unpacked, "unpacked"); };
    CRecordingConnection connection;
    CRecordingView view;
    RestoreSqlBackup({"crm", "task", "time", c.output}, {"C:\\rar\\", &connection, runner, fs}, view);

    EXPECT_EQ(c.commandLine.empty() ? 0u : 1u, runner.starts.size()) << c.why;
    if (!c.commandLine.empty() && !runner.starts.empty()) {
      EXPECT_EQ(c.commandLine, runner.starts[0].commandLine) << c.why;
    }
    const std::string database = c.output.find("shop") != std::string::npos ? "shop" : "crm";
    if (c.restoredFrom.empty()) {
      EXPECT_TRUE(connection.statements.empty()) << c.why;
      EXPECT_EQ((std::vector<std::string>{"text 只能从 .bak 备份文件或 .zip 压缩包还原：" + c.output, "caption 还原"}),
                view.events)
          << c.why;
    } else {
      ASSERT_FALSE(connection.statements.empty()) << c.why;
      EXPECT_EQ("RESTORE database [" + database + "] from disk='" + c.restoredFrom + "'", connection.statements.back())
          << c.why;
      EXPECT_EQ("text 操作已成功！\n数据库名：" + database + "   文件路径：" + c.output + "\n", view.events[view.events.size() - 2])
          << c.why << ": the message names the chosen file";
    }
    EXPECT_EQ("chosen", fs.FileContent(c.output)) << c.why;
    for (const std::string& other : c.others) EXPECT_EQ("other", fs.FileContent(other)) << c.why << ": " << other;
    if (!c.unpacked.empty()) {
      EXPECT_FALSE(fs.Exists(c.unpacked)) << c.why << ": the unpacked file is removed";
    }
    if (c.unpacked.find(".restore") != std::string::npos) {
      EXPECT_FALSE(fs.Exists(DirectoryWithSlash(c.unpacked))) << c.why << ": and its folder";
    }
  }
}
