#pragma once
// The names one file backup run makes, all from one reading of the clock at its start.
#include <string>

#include "common/clock.h"

namespace dorvik {

struct FileJobNames {
  std::string strStamp;        // "%Y%m%d%H%M%S"
  std::string strSourceName;   // the source path after its last backslash
  std::string strDateFolder;   // storage + "\" + "%d-%d-%d"
  std::string strArchiveName;  // "file_" + source name + "_" + stamp + ".zip"
  std::string strArchive;      // date folder + "\" + archive name
  std::string strCopyFolder;   // date folder + "\file_" + source name + "_" + stamp
  std::string strLogTime;      // "YYYY-MM-DD HH:MM:SS" from the stamp's digit groups
  std::string strLogFileName;  // "YYYY_MM_DD.log" from the same groups
};

// The date folder is the start's; the stamp (and with it the output names and the log time) is
// nSecondsLater after the start: the next free second when the start's names are taken.
FileJobNames MakeFileJobNames(const std::string& strSouPath, const std::string& strDesPath,
                              const LocalTime& start, int nSecondsLater = 0);

}  // namespace dorvik
