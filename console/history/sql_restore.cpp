#include "console/history/sql_restore.h"

#include "common/gbk.h"
#include "common/text.h"
#include "console/history/history_rows.h"
#include "jobs/sql_statements.h"

namespace dorvik {

namespace {

constexpr const char* kRestoreCaption = "还原";
constexpr const char* kNoConnection = "未连接SQL Server。";
constexpr int kUnpackFolderTries = 10;

bool Execute(ISqlConnection* connection, const std::string& statement, std::string* error) {
  if (connection) return connection->Execute(statement, error);
  *error = kNoConnection;
  return false;
}

// Puts the caption back and removes what the restore unpacked on every way out.
class CRestoreEnd {
 public:
  CRestoreEnd(IRestoreView& view, IFileSystem& fs) : m_view(view), m_fs(fs) {}
  ~CRestoreEnd() {
    // Nothing unpacked (the archiver failed) is the usual reason this fails: nothing to report.
    if (!m_strUnpacked.empty()) m_fs.RemoveFile(m_strUnpacked);
    // The folder keeps whatever else the archive held: that is left for the user to see.
    if (!m_strFolder.empty()) m_fs.RemoveEmptyDirectory(m_strFolder);
    m_view.SetCaption(kRestoreCaption);
  }
  void RemoveAtEnd(const std::string& path) { m_strUnpacked = path; }
  void RemoveFolderAtEnd(const std::string& folder) { m_strFolder = folder; }

 private:
  IRestoreView& m_view;
  IFileSystem& m_fs;
  std::string m_strUnpacked;
  std::string m_strFolder;
};

bool EndsWithNoCase(const std::string& text, const std::string& lowerEnd) {
  return EndsWith(AsciiLower(text), lowerEnd);
}

// The folder an archive is unpacked into when its backup's name is taken beside it.
std::string UnpackFolderName(const std::string& archive) { return archive.substr(0, archive.size() - 4) + ".restore"; }

// A new folder beside the archive, named after it ("db_a_2024.restore", then "...restore2"):
// made here, so nothing of anyone else's is in it. Its path with a backslash in *folder.
bool MakeUnpackFolder(IFileSystem& fs, const std::string& archive, std::string* folder) {
  const std::string base = UnpackFolderName(archive);
  for (int n = 1; n <= kUnpackFolderTries; ++n) {
    const std::string candidate = n == 1 ? base : base + std::to_string(n);
    if (fs.MakeNewFolder(candidate)) {
      *folder = candidate + "\\";
      return true;
    }
  }
  return false;
}

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

RestoreSource RestoreSourceOf(const std::string& path) {
  const std::string name = LastPathComponent(path);
  if (EndsWithNoCase(name, ".bak")) return RestoreSource::Backup;
  if (EndsWithNoCase(name, ".zip")) return RestoreSource::Archive;
  return RestoreSource::Unknown;
}

std::string UnpackedBackupPath(const std::string& archive, const std::string& folder) {
  const std::string name = LastPathComponent(archive);
  return folder + name.substr(0, name.size() - 4) + ".bak";
}

std::string ArchiveExtractCommandLine(const std::string& rarDir, const std::string& archive,
                                      const std::string& folder) {
  return rarDir + "rar.exe " + " e -y \"" + archive + "\" \"" + WithoutTrailingBackslash(folder) + "\"\\";
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
  switch (RestoreSourceOf(path)) {
    case RestoreSource::Backup:
      RestoreFrom(database, path, path, env.pConnection, view);
      return;
    case RestoreSource::Unknown:
      view.ShowText("只能从 .bak 备份文件或 .zip 压缩包还原：" + path);
      return;
    case RestoreSource::Archive:
      break;
  }
  std::string folder = DirectoryWithSlash(path);
  if (env.fs.Exists(UnpackedBackupPath(path, folder))) {
    if (!MakeUnpackFolder(env.fs, path, &folder)) {
      view.ShowText("无法建立解压文件夹：" + UnpackFolderName(path) + "\n" + env.fs.LastErrorText());
      return;
    }
    end.RemoveFolderAtEnd(folder);
  }
  const std::string unpacked = UnpackedBackupPath(path, folder);
  end.RemoveAtEnd(unpacked);
  view.SetCaption("正在解压...");
  // The restore below reports a missing unpacked file; the archiver's own outcome adds nothing.
  env.runner.RunHiddenAndWait(env.strRarDir + "rar.exe", ArchiveExtractCommandLine(env.strRarDir, path, folder));
  RestoreFrom(database, unpacked, path, env.pConnection, view);
}

}  // namespace dorvik
