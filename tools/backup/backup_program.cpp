#include "tools/backup/backup_program.h"

#include "common/gbk.h"
#include "config/document.h"
#include "config/sql_task_record.h"
#include "jobs/sql_backup_job.h"
#include "jobs/sql_statements.h"
#include "tools/backup/backup_command_line.h"

namespace dorvik {

namespace {

// No window and no config.db: messages are kept for the event log, the status stays as it is.
class CCollectingReporter : public ISqlJobReporter {
 public:
  void ShowProgress(const std::string&) override {}
  void ShowMessage(const std::string& text) override { m_strLast = text; }
  std::string WriteStatus(const std::string&) override { return std::string(); }
  void ShowLastBackupTime(const std::string&) override {}
  void RunEnded() override {}
  const std::string& Last() const { return m_strLast; }

 private:
  std::string m_strLast;
};

BackupProgramResult Failed(int code, const std::string& text) {
  BackupProgramResult result;
  result.nExitCode = code;
  result.strFailure = text;
  return result;
}

}  // namespace

BackupProgramResult RunBackupProgram(const std::string& commandLine, BackupProgramEnvironment& env) {
  BackupCommandLine parsed;
  std::string error;
  if (!ParseBackupCommandLine(commandLine, &parsed, &error)) {
    return Failed(kBackupBadCommandLine, "Backup.exe：" + error + "\n命令行：" + commandLine);
  }
  std::string task = "Backup.exe 任务 " + GetTag(parsed.strRecord, "projectname") + "：";
  std::unique_ptr<ISqlConnection> connection = env.openConnection(&error);
  if (!connection) return Failed(kBackupNoServer, task + "无法连接 SQL Server：" + error);

  CCollectingReporter reporter;
  SqlJobEnvironment job{DirectoryWithSlash(GetTag(env.strConfigDocument, "rarpath")), connection.get(), {},
                        env.processes, env.log, env.files, env.clock, reporter};
  if (GetTag(parsed.strRecord, "sqlname") == kAllDatabases) {
    std::vector<std::string> names;
    if (!connection->QueryNames(kDatabaseListQuery, &names, &error)) {
      return Failed(kBackupNoServer, task + "无法读取数据库列表：" + error);
    }
    job.allDatabases = UserDatabaseNames(names);
  }
  SqlJobOutcome outcome = parsed.bCompress ? DoSqlBackup(parsed.strRecord, job) : DoSqlBackupNocut(parsed.strRecord, job);
  if (outcome.Succeeded()) return BackupProgramResult();
  if (outcome.bRefused) return Failed(kBackupBadCommandLine, task + outcome.problems.front());
  // The archiving mode stops at its first failure without a final report; the other modes end
  // with a report that names every failure.
  return Failed(kBackupPartlyFailed, task + (outcome.bAborted ? outcome.problems.front() : reporter.Last()));
}

}  // namespace dorvik
