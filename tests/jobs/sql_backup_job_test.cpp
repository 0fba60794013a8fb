// The SQL Server backup job with fakes: statements, archiver command lines, log lines, status
// and messages in every mode, and what a failure leaves behind.
#include <gtest/gtest.h>

#include <set>

#include "jobs/sql_backup_job.h"
#include "tests/common/fake_file_system.h"
#include "tests/jobs/fixed_clock.h"
#include "tests/jobs/recording_process_runner.h"

namespace dorvik {
namespace {

class CFakeSqlConnection : public ISqlConnection {
 public:
  bool Execute(const std::string& statement, std::string* error) override {
    statements.push_back(statement);
    for (const std::string& database : failing) {
      if (statement.find("[" + database + "]") != std::string::npos) {
        *error = "Cannot back up " + database;
        return false;
      }
    }
    return true;
  }
  bool QueryNames(const std::string&, std::vector<std::string>*, std::string*) override { return false; }
  std::vector<std::string> statements;
  std::set<std::string> failing;
};

class CRecordingSqlReporter : public ISqlJobReporter {
 public:
  void ShowProgress(const std::string& database) override { progress.push_back(database); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::string WriteStatus(const std::string& record) override {
    statusRecords.push_back(record);
    return "2024-05-01 08:31:00";
  }
  void ShowLastBackupTime(const std::string& time) override { shownTimes.push_back(time); }
  void RunEnded() override { ++nRunEnded; }
  std::vector<std::string> progress, messages, statusRecords, shownTimes;
  int nRunEnded = 0;
};

std::string Record(const std::string& sqlname, const std::string& iscut) {
  return "<Check>YES</Check>    <sqlname>" + sqlname + "</sqlname>    <sqlpath>D:\\sql</sqlpath>    "
         "<despath>D:\\sql</despath>    <iscut>" + iscut + "</iscut>    <date>每天</date>    <time>3</time>    "
         "<status>-</status>    <num>1</num>    <id>4</id>    <projectname>shop</projectname>    "
         "<issave>保留</issave>";
}

ProcessResult ExitedWith(unsigned long exitCode) {
  ProcessResult result;
  result.started = true;
  result.exitCode = exitCode;
  return result;
}

struct Fixture {
  Fixture() {
    files.AddFolder("D:\\sql");
    files.AddFolder("C:\\Dorvik");
    // The archiver deletes the backup file it archived (-df) and leaves the archive.
    processes.onStart = [this](const std::string& command) {
      std::string::size_type q = command.find('"');
      std::string archive = command.substr(q + 1, command.find('"', q + 1) - q - 1);
      std::string backup = command.substr(command.rfind('"', command.size() - 2) + 1);
      backup.pop_back();
      files.AddFile(archive, "zip");
      files.RemoveFile(backup);
    };
  }
  // The server writes the backup file of each statement that succeeds.
  struct WritingConnection : CFakeSqlConnection {
    CFakeFileSystem* files = nullptr;
    bool Execute(const std::string& statement, std::string* error) override {
      if (!CFakeSqlConnection::Execute(statement, error)) return false;
      std::string path = statement.substr(statement.find("disk='") + 6);
      path.pop_back();
      files->AddFile(path, "bak");
      return true;
    }
  };
  SqlJobEnvironment Env(bool withConnection = true) {
    connection.files = &files;
    return SqlJobEnvironment{"C:\\Program Files\\WinRAR\\", withConnection ? &connection : nullptr, allDatabases,
                             processes, *log, files, clock, reporter};
  }
  std::string LogText() { return files.FileContent("C:\\Dorvik\\Log\\2024_05_01.log"); }

  CFakeFileSystem files;
  CRecordingProcessRunner processes;
  CFixedClock clock{MakeLocalTime(2024, 5, 1, 8, 30, 0)};
  std::unique_ptr<IBackupLog> log = MakeBackupLog("C:\\Dorvik\\", files);
  WritingConnection connection;
  CRecordingSqlReporter reporter;
  std::vector<std::string> allDatabases;
};

TEST(SqlBackupJobTest, ArchivingRunOfTheWorkedExample) {
  Fixture f;
  SqlJobEnvironment env = f.Env();
  SqlJobOutcome outcome = DoSqlBackup(Record("shopdb", "是"), env);
  EXPECT_TRUE(outcome.Succeeded());
  EXPECT_EQ((std::vector<std::string>{
                "backup database [shopdb] to disk='D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.bak'"}),
            f.connection.statements);
  EXPECT_EQ((std::vector<std::string>{
                "C:\\Program Files\\WinRAR\\rar.exe  a -r -m5 -o+ -ibck -y -ilog -k -df "
                "\"D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.zip\" "
                "\"D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.bak\""}),
            f.processes.CommandLines());
  EXPECT_EQ("shop               2024-05-01 08:30:00    D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.zip\r\n",
            f.LogText());
  EXPECT_EQ(std::vector<std::string>{"shopdb"}, f.reporter.progress);
  EXPECT_EQ(std::vector<std::string>{"操作成功！备份文件夹：D:\\sql\\shop\\2024-5-1"}, f.reporter.messages);
  EXPECT_EQ(std::vector<std::string>{Record("shopdb", "是")}, f.reporter.statusRecords);
  EXPECT_EQ(std::vector<std::string>{"2024-05-01 08:31:00"}, f.reporter.shownTimes);
  EXPECT_EQ(3000u, f.clock.nSleptMs);
  EXPECT_EQ(1, f.reporter.nRunEnded);
}

TEST(SqlBackupJobTest, DatabaseListsInBothModes) {
  const std::string folder = "D:\\sql\\shop\\2024-5-1\\";
  struct Case {
    std::string sqlname;
    std::vector<std::string> all;
    bool archive;
    std::string log;
    const char* why;
  } cases[] = {
      {"a,b", {}, false,
       "shop               2024-05-01 08:30:00    " + folder + "db_a_20240501083000.bak\r\n"
       "shop               2024-05-01 08:30:00    " + folder + "db_b_20240501083000.bak\r\n",
       "a comma list backs up each name, one line each"},
      {"所有数据库", {"model", "msdb"}, true,
       "shop               2024-05-01 08:30:00    " + folder + "db_model_20240501083000.zip\r\n"
       "shop               2024-05-01 08:30:00    " + folder + "db_msdb_20240501083000.zip\r\n",
       "all databases: the known user databases, archived"},
      {"所有数据库", {}, true, "", "no databases: nothing runs, still a finished run"},
      {"所有数据库", {}, false, "", "the same without archiving"},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.allDatabases = c.all;
    SqlJobEnvironment env = f.Env();
    SqlJobOutcome outcome = c.archive ? DoSqlBackup(Record(c.sqlname, "是"), env)
                                      : DoSqlBackupNocut(Record(c.sqlname, "否"), env);
    EXPECT_TRUE(outcome.Succeeded()) << c.why;
    EXPECT_EQ(c.log, f.LogText()) << c.why;
    EXPECT_EQ(1u, f.reporter.statusRecords.size()) << c.why;
    ASSERT_EQ(1u, f.reporter.messages.size()) << c.why;
    EXPECT_EQ(std::string(c.archive ? "操作成功！备份文件夹：" : "操作成功！备份文件：") + "D:\\sql\\shop\\2024-5-1",
              f.reporter.messages[0]) << c.why;
    EXPECT_TRUE(f.files.IsDirectory("D:\\sql\\shop\\2024-5-1")) << c.why;
  }
}

TEST(SqlBackupJobTest, FailedStatementStopsTheArchivingRunWithNothingRecorded) {
  Fixture f;
  f.connection.failing = {"b"};
  SqlJobEnvironment env = f.Env();
  SqlJobOutcome outcome = DoSqlBackup(Record("a,b,c", "是"), env);
  EXPECT_TRUE(outcome.bAborted);
  EXPECT_EQ(2u, f.connection.statements.size()) << "c is never tried";
  EXPECT_TRUE(f.processes.starts.empty());
  EXPECT_EQ("", f.LogText());
  EXPECT_TRUE(f.reporter.statusRecords.empty());
  EXPECT_EQ(std::vector<std::string>{"Cannot back up b"}, f.reporter.messages);
  EXPECT_EQ(1, f.reporter.nRunEnded);
  EXPECT_TRUE(f.files.Exists("D:\\sql\\shop\\2024-5-1\\db_a_20240501083000.bak")) << "a's backup stays";
}

TEST(SqlBackupJobTest, FailedStatementWithoutArchivingGoesOnAndIsNamedAtTheEnd) {
  Fixture f;
  f.connection.failing = {"b"};
  SqlJobEnvironment env = f.Env();
  SqlJobOutcome outcome = DoSqlBackupNocut(Record("a,b,c", "否"), env);
  EXPECT_EQ(std::vector<std::string>{"b"}, outcome.failedDatabases);
  EXPECT_EQ("shop               2024-05-01 08:30:00    D:\\sql\\shop\\2024-5-1\\db_a_20240501083000.bak\r\n"
            "shop               2024-05-01 08:30:00    D:\\sql\\shop\\2024-5-1\\db_c_20240501083000.bak\r\n",
            f.LogText()) << "no line for the backup that was never written";
  EXPECT_EQ((std::vector<std::string>{"Cannot back up b",
                                      "操作未全部成功！\n备份失败的数据库：b\n数据库 b 备份失败：Cannot back up b\n"
                                      "备份文件：D:\\sql\\shop\\2024-5-1"}),
            f.reporter.messages);
  EXPECT_EQ(1u, f.reporter.statusRecords.size());
  EXPECT_EQ(1, f.reporter.nRunEnded);
}

TEST(SqlBackupJobTest, FailedArchiverIsReportedAndItsBackupLogged) {
  Fixture f;
  f.processes.results["db_b_"] = ExitedWith(3);
  f.processes.onStart = nullptr;  // an archiver that does nothing at all
  SqlJobEnvironment env = f.Env();
  SqlJobOutcome outcome = DoSqlBackup(Record("b", "是"), env);
  EXPECT_FALSE(outcome.Succeeded());
  EXPECT_EQ("shop               2024-05-01 08:30:00    D:\\sql\\shop\\2024-5-1\\db_b_20240501083000.bak\r\n",
            f.LogText());
  ASSERT_EQ(1u, f.reporter.messages.size());
  EXPECT_EQ("操作未全部成功！\n压缩 D:\\sql\\shop\\2024-5-1\\db_b_20240501083000.bak 失败：rar.exe 退出码 3\n"
            "备份文件夹：D:\\sql\\shop\\2024-5-1",
            f.reporter.messages[0]);
}

// What a failed statement or archiver run leaves is never named like a good backup; the backup
// file a failed archiver kept is good and logged.
TEST(SqlBackupJobTest, WhatFailedRunsLeaveIsNamedIncomplete) {
  Fixture f;
  f.processes.results["db_a_"] = ExitedWith(6);
  f.processes.onStart = [&](const std::string&) {  // a partial archive, the backup file kept
    f.files.AddFile("D:\\sql\\shop\\2024-5-1\\db_a_20240501083000.zip", "half");
  };
  SqlJobEnvironment env = f.Env();
  DoSqlBackup(Record("a", "是"), env);
  EXPECT_EQ(f.files.ListTree("D:\\sql\\shop\\2024-5-1"),
            (std::vector<std::string>{"D:\\sql\\shop\\2024-5-1\\db_a_20240501083000.bak",
                                      "D:\\sql\\shop\\2024-5-1\\db_a_20240501083000.incomplete.zip"}));
  EXPECT_EQ("shop               2024-05-01 08:30:00    D:\\sql\\shop\\2024-5-1\\db_a_20240501083000.bak\r\n",
            f.LogText());

  Fixture g;
  g.connection.failing = {"b"};
  g.files.AddFile("D:\\sql\\shop\\2024-5-1\\db_b_20240501083000.bak", "what the server wrote before failing");
  SqlJobEnvironment envNocut = g.Env();
  DoSqlBackupNocut(Record("b", "否"), envNocut);
  EXPECT_EQ(g.files.ListTree("D:\\sql\\shop\\2024-5-1"),
            std::vector<std::string>{"D:\\sql\\shop\\2024-5-1\\db_b_20240501083000.incomplete.bak"});
  EXPECT_EQ("", g.LogText());
}

TEST(SqlBackupJobTest, NamesWithBracketsAndQuotesAreQuoted) {
  Fixture f;
  SqlJobEnvironment env = f.Env();
  DoSqlBackupNocut(Record("x]y,o'k", "否"), env);
  EXPECT_EQ((std::vector<std::string>{
                "backup database [x]]y] to disk='D:\\sql\\shop\\2024-5-1\\db_x]y_20240501083000.bak'",
                "backup database [o'k] to disk='D:\\sql\\shop\\2024-5-1\\db_o''k_20240501083000.bak'"}),
            f.connection.statements);
}

TEST(SqlBackupJobTest, WithoutConnectionNothingIsDone) {
  Fixture f;
  SqlJobEnvironment env = f.Env(false);
  SqlJobOutcome outcome = DoSqlBackup(Record("a", "是"), env);
  EXPECT_FALSE(outcome.bStarted);
  EXPECT_EQ(std::vector<std::string>{"没有连接到 SQL Server，无法备份"}, f.reporter.messages);
  EXPECT_EQ(1, f.reporter.nRunEnded);
  EXPECT_TRUE(f.reporter.statusRecords.empty());
  EXPECT_FALSE(f.files.Exists("D:\\sql\\shop"));
}

}  // namespace
}  // namespace dorvik
