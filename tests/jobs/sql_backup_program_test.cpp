// Backup.exe's decisions: its command line, where the archiver comes from, the database list
// it fetches itself, and the exit code and text it reports failures with.
#include <gtest/gtest.h>

#include "tests/common/fake_file_system.h"
#include "tests/jobs/fixed_clock.h"
#include "tests/jobs/recording_process_runner.h"
#include "tools/backup/backup_command_line.h"
#include "tools/backup/backup_program.h"

namespace dorvik {
namespace {

TEST(BackupCommandLineTest, RecordBetweenFirstAndLastQuote) {
  struct Case {
    std::string line;
    bool ok;
    std::string record;
    bool compress;
    const char* why;
  } cases[] = {
      {"C:\\Dorvik\\Backup.exe \"<a>x y</a>\" 是", true, "<a>x y</a>", true, "as the service starts it"},
      {"C:\\Dorvik\\Backup.exe \"<a>x</a>\" 否", true, "<a>x</a>", false, "no compression"},
      {"\"C:\\Program Files\\D\\Backup.exe\" \"<a>x</a>\" 是", true, "<a>x</a>", true, "quoted program path skipped"},
      {"C:\\Backup.exe \"<a>1</a>\"   否  ", true, "<a>1</a>", false, "blanks around the choice"},
      {"C:\\Backup.exe <a>1</a> 是", false, "", false, "no quotes"},
      {"C:\\Backup.exe \"<a>1</a> 是", false, "", false, "one quote only"},
      {"C:\\Backup.exe \"<a>1</a>\" yes", false, "", false, "choice is neither 是 nor 否"},
      {"C:\\Backup.exe \"<a>1</a>\"", false, "", false, "choice missing"},
  };
  for (const Case& c : cases) {
    BackupCommandLine parsed;
    std::string error;
    EXPECT_EQ(c.ok, ParseBackupCommandLine(c.line, &parsed, &error)) << c.why;
    if (!c.ok) continue;
    EXPECT_EQ(c.record, parsed.strRecord) << c.why;
    EXPECT_EQ(c.compress, parsed.bCompress) << c.why;
  }
}

class CScriptedConnection : public ISqlConnection {
 public:
  explicit CScriptedConnection(std::vector<std::string>* sent) : statements(*sent) {}
  bool Execute(const std::string& statement, std::string* error) override {
    statements.push_back(statement);
    if (statement.find("[bad]") == std::string::npos) return true;
    *error = "denied";
    return false;
  }
  bool QueryNames(const std::string&, std::vector<std::string>* names, std::string*) override {
    *names = {"master", "model", "tempdb", "shop"};
    return true;
  }
  std::vector<std::string>& statements;
};

struct ProgramFixture {
  ProgramFixture() {
    files.AddFolder("C:\\Dorvik");
    files.AddFolder("D:\\sql");
  }
  BackupProgramResult Run(const std::string& sqlname, const std::string& choice, bool connects = true) {
    BackupProgramEnvironment env{"<rarpath>C:\\WinRAR\\rar.exe</rarpath>",
                                 [&, connects](std::string* error) -> std::unique_ptr<ISqlConnection> {
                                   if (!connects) {
                                     *error = "refused";
                                     return nullptr;
                                   }
                                   return std::make_unique<CScriptedConnection>(&statements);
                                 },
                                 processes, *log, files, clock};
    return RunBackupProgram("C:\\Dorvik\\Backup.exe \"<sqlname>" + sqlname +
                                "</sqlname>    <despath>D:\\sql</despath>    <projectname>p</projectname>\" " + choice,
                            env);
  }
  CFakeFileSystem files;
  CRecordingProcessRunner processes;
  CFixedClock clock{MakeLocalTime(2024, 5, 1, 8, 30, 0)};
  std::unique_ptr<IBackupLog> log = MakeBackupLog("C:\\Dorvik\\", files);
  std::vector<std::string> statements;  // what the program's connections were sent
};

TEST(BackupProgramTest, AllDatabasesAreFetchedAndArchivedFromTheConfiguredFolder) {
  ProgramFixture f;
  BackupProgramResult result = f.Run("所有数据库", "是");
  EXPECT_EQ(kBackupSucceeded, result.nExitCode) << result.strFailure;
  ASSERT_EQ(2u, f.statements.size());
  EXPECT_NE(std::string::npos, f.statements[0].find("[model]"));
  EXPECT_NE(std::string::npos, f.statements[1].find("[shop]"));
  ASSERT_EQ(2u, f.processes.starts.size());
  EXPECT_EQ(0u, f.processes.starts[0].commandLine.find("C:\\WinRAR\\rar.exe  a -r"));
}

TEST(BackupProgramTest, FailuresGiveExitCodesAndTexts) {
  struct Case {
    std::string sqlname, choice;
    bool connects;
    int exitCode;
    std::string failure;
    const char* why;
  } cases[] = {
      {"shop", "否", true, kBackupSucceeded, "", "all well"},
      {"bad,shop", "是", true, kBackupPartlyFailed, "Backup.exe 任务 p：数据库 bad 备份失败：denied",
       "archiving stops at the failure"},
      {"shop", "否", false, kBackupNoServer, "Backup.exe 任务 p：无法连接 SQL Server：refused", "no server"},
      {"shop", "也许", true, kBackupBadCommandLine, "", "bad choice (text checked elsewhere)"},
      {"", "否", true, kBackupBadCommandLine, "Backup.exe 任务 p：任务 p 没有指定数据库，备份未进行",
       "no database named: a failure, not a success with nothing backed up"},
      {",, ,", "是", true, kBackupBadCommandLine, "Backup.exe 任务 p：任务 p 没有指定数据库，备份未进行",
       "only commas"},
      {"a\x81", "否", true, kBackupBadCommandLine, "Backup.exe 任务 p：任务记录含有无效的 GBK 字符，备份未进行",
       "a lone lead byte would swallow the closing bracket"},
  };
  for (const Case& c : cases) {
    ProgramFixture f;
      BackupProgramResult result = f.Run(c.sqlname, c.choice, c.connects);
    EXPECT_EQ(c.exitCode, result.nExitCode) << c.why;
    if (!c.failure.empty()) {
      EXPECT_EQ(c.failure, result.strFailure) << c.why;
    }
    if (c.exitCode == kBackupBadCommandLine) {
      EXPECT_TRUE(f.statements.empty()) << c.why;
    }
  }
  {
    ProgramFixture empty;  // an empty record: nothing is made anywhere
    std::unique_ptr<IBackupLog> log = MakeBackupLog("C:\\Dorvik\\", empty.files);
    BackupProgramEnvironment env{"", [](std::string*) { return std::unique_ptr<ISqlConnection>(); },
                                 empty.processes, *log, empty.files, empty.clock};
    env.openConnection = [&](std::string*) -> std::unique_ptr<ISqlConnection> {
      return std::make_unique<CScriptedConnection>(&empty.statements);
    };
    EXPECT_EQ(kBackupBadCommandLine, RunBackupProgram("C:\\Dorvik\\Backup.exe \"\" 否", env).nExitCode);
    EXPECT_TRUE(empty.statements.empty());
  }
  ProgramFixture f;
  BackupProgramResult result = f.Run("bad,shop", "否");
  EXPECT_EQ(kBackupPartlyFailed, result.nExitCode);
  EXPECT_NE(std::string::npos, result.strFailure.find("备份失败的数据库：bad")) << "the final report names it";
}

}  // namespace
}  // namespace dorvik
