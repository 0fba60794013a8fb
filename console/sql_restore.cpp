#include "console/sql_restore.h"

#include "common/gbk.h"
#include "common/text.h"
#include "console/history_rows.h"
#include "jobs/sql_statements.h"

namespace dorvik {

namespace {

constexpr const char* kRestoreCaption = "还原";
constexpr const char* kNoConnection = "未连接SQL Server。";

bool Execute(ISqlConnection* connection, const std::string& statement, std::string* error) {
  if (connection) return connection->Execute(statement, error);
  *error = kNoConnection;
  return false;
}

// Puts the caption back and removes the unpacked backup on every way out.
class CRestoreEnd {
 public:
  CRestoreEnd(IRestoreView& view, IFileSystem& fs) : m_view(view), m_fs(fs) {}
  ~CRestoreEnd() {
    // Nothing unpacked (the archiver failed) is the usual reason this fails: nothing to report.
    if (!m_strUnpacked.empty()) m_fs.RemoveFile(m_strUnpacked);
    m_view.SetCaption(kRestoreCaption);
  }
  void RemoveAtEnd(const std::string& path) { m_strUnpacked = path; }

 private:
  IRestoreView& m_view;
  IFileSystem& m_fs;
  std::string m_strUnpacked;
};

void RestoreFrom(const std::string& database, const std::string& backupFile, const std::string& shownPath,
                 ISqlConnection* connection, IRestoreView& view) {
  view.SetCaption(database + "...");
  KillDatabaseConnections(connection, database, view);
  std::string error;
  if (Execute(connection, RestoreDatabaseStatement(database, backupFile), &error)) {
    view.ShowText("操作已成功！\n数据库名：" + database + "   文件路径：" + shownPath + "\n");
  } else {
    view.ShowText(error);
  }
}

}  // namespace

std::string RestoreQuestion(const RestoreRow& row) {
  return "确定还原[ " + row.strDatabase + " " + row.strTask + " " + row.strTime + " ]吗？";
}

std::string UnpackedBackupPath(const std::string& archive) { return ReplaceAll(archive, ".zip", ".bak"); }

std::string ArchiveExtractCommandLine(const std::string& rarDir, const std::string& archive) {
  const std::string folder = WithoutTrailingBackslash(DirectoryWithSlash(archive));
  return rarDir + "rar.exe " + " e -y \"" + archive + "\" \"" + folder + "\"\\";
}

void KillDatabaseConnections(ISqlConnection* connection, const std::string& database, IRestoreView& view) {
  std::string error;
  // Fails harmlessly once the procedure exists from an earlier restore.
  Execute(connection, kKillSessionsProcedure, &error);
  if (!Execute(connection, KillSessionsStatement(database), &error)) view.ShowText(error);
}

void RestoreSqlBackup(const RestoreRow& row, const RestoreEnvironment& env, IRestoreView& view) {
  CRestoreEnd end(view, env.fs);
  const std::string& path = row.strOutput;
  const std::string database = DatabaseOfBackupName(LastPathComponent(path));
  if (path.find(".bak") != std::string::npos) {
    RestoreFrom(database, path, path, env.pConnection, view);
    return;
  }
  const std::string unpacked = UnpackedBackupPath(path);
  // A name without ".zip" would make the archive itself the file to delete afterwards.
  if (unpacked != path) end.RemoveAtEnd(unpacked);
  view.SetCaption("正在解压...");
  // The restore below reports a missing unpacked file; the archiver's own outcome adds nothing.
  env.runner.RunHiddenAndWait(env.strRarDir + "rar.exe", ArchiveExtractCommandLine(env.strRarDir, path));
  RestoreFrom(database, unpacked, path, env.pConnection, view);
}

}  // namespace dorvik
