#pragma once
// The names one SQL Server backup run makes, all from one reading of the clock at its start.
#include <string>
#include <vector>

#include "common/clock.h"

namespace dorvik {

struct SqlJobNames {
  std::string strStamp;          // "%Y%m%d%H%M%S"
  std::string strProjectFolder;  // despath + "\" + projectname
  std::string strRunFolder;      // project folder + "\" + "%d-%d-%d"
  std::string strLogTime;        // "%Y-%m-%d %H:%M:%S"
  std::string strLogFileName;    // "%Y_%m_%d.log"
};

SqlJobNames MakeSqlJobNames(const std::string& strDesPath, const std::string& strProjectName,
                            const LocalTime& start);

// run folder + "\db_" + database + "_" + stamp + ".bak"
std::string SqlBackupFilePath(const SqlJobNames& names, const std::string& database);
// The backup file with its ".bak" ending changed to ".zip"; ".bak" elsewhere in the path (a
// folder named x.bak) stays, so the archive lands beside the backup file.
std::string SqlArchivePath(const std::string& backupFile);

// The databases of one run: all of `allDatabases` for "所有数据库", else the names of `sqlname`
// separated by ","; empty and blank pieces name no database.
std::vector<std::string> SqlRunDatabases(const std::string& sqlname,
                                         const std::vector<std::string>& allDatabases);

}  // namespace dorvik
