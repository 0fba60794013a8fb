#include "jobs/sql_backup_job.h"

#include "common/gbk.h"
#include "config/document.h"
#include "config/project_name.h"
#include "config/sql_task_record.h"
#include "jobs/incomplete_output.h"
#include "jobs/sql_job_names.h"
#include "jobs/sql_statements.h"

namespace dorvik {

namespace {

constexpr unsigned kPauseAfterStatusMs = 3000;

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string joined;
  for (const std::string& item : items) joined += (joined.empty() ? "" : separator) + item;
  return joined;
}

std::string ArchiverCommand(const std::string& rarDir, const std::string& archive, const std::string& backup) {
  return rarDir + "rar.exe " + " a -r -m5 -o+ -ibck -y -ilog -k -df " + "\"" + archive + "\"" + " " + "\"" +
         backup + "\"";
}

std::string ArchiverProblem(const std::string& backup, const ProcessResult& result) {
  if (!result.started) return "无法启动 rar.exe 压缩 " + backup + "：" + result.error;
  return "压缩 " + backup + " 失败：rar.exe 退出码 " + std::to_string(result.exitCode);
}

class CSqlRun {
 public:
  CSqlRun(const std::string& record, SqlJobEnvironment& env) : m_record(record), m_env(env) {}

  SqlJobOutcome Run(bool bArchive) {
    if (m_env.pConnection == nullptr) {
      m_env.reporter.ShowMessage("没有连接到 SQL Server，无法备份");
      m_env.reporter.RunEnded();
      m_outcome.problems.push_back("没有连接到 SQL Server");
      return m_outcome;
    }
    m_outcome.bStarted = true;
    const std::string refusal = RefusalOfRecord();
    if (!refusal.empty()) {
      m_outcome.bRefused = true;
      m_outcome.problems.push_back(refusal);
      m_env.reporter.ShowMessage(refusal);
      m_env.reporter.RunEnded();
      return m_outcome;
    }
    m_names = MakeSqlJobNames(GetTag(m_record, "despath"), GetTag(m_record, "projectname"), m_env.clock.Now());
    m_outcome.strRunFolder = m_names.strRunFolder;
    // A folder that cannot be made shows up as the server's failure to open the backup file.
    m_env.files.MakeDirectory(m_names.strProjectFolder);
    m_env.files.MakeDirectory(m_names.strRunFolder);
    std::vector<std::string> databases = SqlRunDatabases(GetTag(m_record, "sqlname"), m_env.allDatabases);
    if (bArchive) {
      if (!BackupAndArchive(databases)) return m_outcome;
    } else {
      BackupEach(databases);
    }
    Finish(bArchive);
    return m_outcome;
  }

 private:
  // What makes the record unusable before anything is made: a name or path that is not
  // well-formed GBK (it would swallow the quoting joined after it), a project name that is no
  // plain folder name (the run would write into another task's folder), or no database at all
  // (the run would report success having backed up nothing).
  std::string RefusalOfRecord() const {
    const std::string storage = GetTag(m_record, "despath");
    const std::string project = GetTag(m_record, "projectname");
    const std::string sqlname = GetTag(m_record, "sqlname");
    if (!IsWellFormedGbk(m_record)) return "任务记录含有无效的 GBK 字符，备份未进行";
    if (storage.empty()) return "任务没有指定存储路径，备份未进行";
    if (!IsPlainProjectName(project)) return "任务名称不能用作文件夹名：" + project + "，备份未进行";
    if (sqlname != kAllDatabases && SqlRunDatabases(sqlname, {}).empty()) {
      return "任务 " + project + " 没有指定数据库，备份未进行";
    }
    return std::string();
  }

  bool Backup(const std::string& database, const std::string& file) {
    m_env.reporter.ShowProgress(database);
    std::string error;
    if (!IsWellFormedGbk(database)) {
      error = "数据库名含有无效的 GBK 字符，未备份";
      m_env.reporter.ShowMessage(error);
      m_outcome.failedDatabases.push_back(database);
      m_outcome.problems.push_back(error);
      return false;
    }
    if (m_env.pConnection->Execute(BackupDatabaseStatement(database, file), &error)) return true;
    m_env.reporter.ShowMessage(error);
    m_outcome.failedDatabases.push_back(database);
    m_outcome.problems.push_back("数据库 " + database + " 备份失败：" + error);
    MarkIncomplete(file);
    return false;
  }

  // What a failed statement or archiver run left keeps the incomplete name, so nothing takes it
  // for a good backup.
  void MarkIncomplete(const std::string& output) {
    if (!m_env.files.Exists(output)) return;
    const std::string renamed = IncompleteOutputPath(output);
    if (!m_env.files.MoveOver(output, renamed)) {
      m_outcome.problems.push_back("无法把未完成的 " + output + " 改名为 " + renamed + "：" +
                                   m_env.files.LastErrorText());
    }
  }

  void Log(const std::string& path) {
    std::string line = FormatSqlLogLine(GetTag(m_record, "projectname"), m_names.strLogTime, path);
    if (!m_env.log.AppendBackupLogLine(m_names.strLogFileName, line)) {
      m_outcome.problems.push_back("备份日志 Log\\" + m_names.strLogFileName + " 无法写入：" + path);
    }
  }

  // A failed database gets no log line: the log lists only backups that exist.
  void BackupEach(const std::vector<std::string>& databases) {
    for (const std::string& database : databases) {
      std::string file = SqlBackupFilePath(m_names, database);
      if (Backup(database, file)) Log(file);
    }
  }

  bool BackupAndArchive(const std::vector<std::string>& databases) {
    std::vector<std::string> files;
    for (const std::string& database : databases) {
      std::string file = SqlBackupFilePath(m_names, database);
      if (!Backup(database, file)) {
        m_outcome.bAborted = true;
        m_env.reporter.RunEnded();
        return false;
      }
      files.push_back(file);
    }
    for (const std::string& file : files) {
      std::string archive = SqlArchivePath(file);
      ProcessResult result = m_env.processes.RunHiddenAndWait(m_env.strRarDir + "rar.exe",
                                                              ArchiverCommand(m_env.strRarDir, archive, file));
      if (result.Succeeded()) {
        Log(archive);
        continue;
      }
      m_outcome.problems.push_back(ArchiverProblem(file, result));
      MarkIncomplete(archive);
      // The archiver keeps the backup when it fails: that file is the run's output then.
      if (m_env.files.Exists(file)) Log(file);
    }
    return true;
  }

  void Finish(bool bArchive) {
    std::string statusTime = m_env.reporter.WriteStatus(m_record);
    if (!statusTime.empty()) {
      m_env.clock.SleepMs(kPauseAfterStatusMs);
      m_env.reporter.ShowLastBackupTime(statusTime);
    }
    std::string where = (bArchive ? "备份文件夹：" : "备份文件：") + m_names.strRunFolder;
    if (m_outcome.problems.empty()) {
      m_env.reporter.ShowMessage("操作成功！" + where);
    } else {
      std::string failed = m_outcome.failedDatabases.empty()
                               ? std::string()
                               : "备份失败的数据库：" + Join(m_outcome.failedDatabases, ",") + "\n";
      m_env.reporter.ShowMessage("操作未全部成功！\n" + failed + Join(m_outcome.problems, "\n") + "\n" + where);
    }
    m_env.reporter.RunEnded();
  }

  const std::string& m_record;
  SqlJobEnvironment& m_env;
  SqlJobNames m_names;
  SqlJobOutcome m_outcome;
};

}  // namespace

SqlJobOutcome DoSqlBackup(const std::string& strRecord, SqlJobEnvironment& env) {
  return CSqlRun(strRecord, env).Run(true);
}

SqlJobOutcome DoSqlBackupNocut(const std::string& strRecord, SqlJobEnvironment& env) {
  return CSqlRun(strRecord, env).Run(false);
}

}  // namespace dorvik
