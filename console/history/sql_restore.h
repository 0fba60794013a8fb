#pragma once
// Restoring a SQL Server database from a backup listed in the history browser: a ".bak" file
// directly, a ".zip" archive after unpacking it beside itself with the archiver.
#include <string>

#include "common/file_system.h"
#include "jobs/process.h"
#include "jobs/sql_access.h"

namespace dorvik {

// Columns 1 to 4 of a SQL Server history row.
struct RestoreRow {
  std::string strDatabase, strTask, strTime, strOutput;
};

// What the restore shows while it runs: the button's caption and plain message boxes.
class IRestoreView {
 public:
  virtual ~IRestoreView() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void ShowText(const std::string& text) = 0;
};

struct RestoreEnvironment {
  std::string strRarDir;          // the archiver directory, with its trailing backslash
  ISqlConnection* pConnection;    // null when the console has none
  IProcessRunner& runner;
  IFileSystem& fs;
};

// "确定还原[ database task time ]吗？"
std::string RestoreQuestion(const RestoreRow& row);

// What a listed output is, by its file name's extension alone (".bak" or ".zip", any case):
// folders on the way may carry either in their names.
enum class RestoreSource { Backup, Archive, Unknown };
RestoreSource RestoreSourceOf(const std::string& path);
// The backup unpacked from an archive into `folder` (with its backslash): the archive's file
// name with its ".zip" replaced by ".bak", as the SQL Server job names the file it archives.
std::string UnpackedBackupPath(const std::string& archive, const std::string& folder);
// rar.exe  e -y "archive" "folder"\  -- both quoted for blanks; the backslash that makes the
// folder a destination stays outside the quotes, where no parser reads it as escaping the quote.
std::string ArchiveExtractCommandLine(const std::string& rarDir, const std::string& archive,
                                      const std::string& folder);

// Ends the other sessions of the database; an error of creating the procedure (it exists from an
// earlier restore) is ignored, one of running it is shown and the restore goes on.
void KillDatabaseConnections(ISqlConnection* connection, const std::string& database, IRestoreView& view);

// The whole restore after the user has confirmed it, from the file the row names and nothing
// else. An archive is unpacked beside itself, or into a new folder there when a file of the
// unpacked name exists already (it is neither overwritten nor deleted). The caption goes back to
// "还原" and what this restore unpacked is deleted whatever happens.
void RestoreSqlBackup(const RestoreRow& row, const RestoreEnvironment& env, IRestoreView& view);

}  // namespace dorvik
