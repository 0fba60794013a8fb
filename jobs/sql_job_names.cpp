#include "jobs/sql_job_names.h"

#include "common/text.h"
#include "config/sql_task_record.h"

namespace dorvik {

SqlJobNames MakeSqlJobNames(const std::string& strDesPath, const std::string& strProjectName,
                            const LocalTime& start) {
  SqlJobNames names;
  names.strStamp = FormatLocalTime(start, "%Y%m%d%H%M%S");
  names.strProjectFolder = strDesPath + "\\" + strProjectName;
  names.strRunFolder = names.strProjectFolder + "\\" + DateFolderName(start);
  names.strLogTime = FormatLocalTime(start, "%Y-%m-%d %H:%M:%S");
  names.strLogFileName = FormatLocalTime(start, "%Y_%m_%d.log");
  return names;
}

std::string SqlBackupFilePath(const SqlJobNames& names, const std::string& database) {
  return names.strRunFolder + "\\" + "db_" + database + "_" + names.strStamp + ".bak";
}

std::string SqlArchivePath(const std::string& backupFile) {
  const std::string ending = ".bak";
  if (backupFile.size() >= ending.size() &&
      backupFile.compare(backupFile.size() - ending.size(), ending.size(), ending) == 0) {
    return backupFile.substr(0, backupFile.size() - ending.size()) + ".zip";
  }
  return backupFile + ".zip";
}

std::vector<std::string> SqlRunDatabases(const std::string& sqlname,
                                         const std::vector<std::string>& allDatabases) {
  if (sqlname == kAllDatabases) return allDatabases;
  std::vector<std::string> names;
  for (const std::string& piece : SplitNonEmpty(sqlname, ',')) {
    if (!TrimBoth(piece).empty()) names.push_back(piece);
  }
  return names;
}

}  // namespace dorvik
