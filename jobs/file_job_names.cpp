#include "jobs/file_job_names.h"

#include "common/gbk.h"

namespace dorvik {

FileJobNames MakeFileJobNames(const std::string& strSouPath, const std::string& strDesPath,
                              const LocalTime& start, int nSecondsLater) {
  FileJobNames names;
  const LocalTime stampTime = nSecondsLater == 0 ? start : FromEpochSeconds(ToEpochSeconds(start) + nSecondsLater);
  names.strStamp = FormatLocalTime(stampTime, "%Y%m%d%H%M%S");
  names.strSourceName = LastPathComponent(strSouPath);
  names.strDateFolder = strDesPath + "\\" + DateFolderName(start);
  names.strArchiveName = "file_" + names.strSourceName + "_" + names.strStamp + ".zip";
  names.strArchive = names.strDateFolder + "\\" + names.strArchiveName;
  names.strCopyFolder = names.strDateFolder + "\\file_" + names.strSourceName + "_" + names.strStamp;
  // The stamp's 4-2-2-2-2-2 digit groups; the stamp follows the output name's last "_".
  const std::string& s = names.strStamp;
  names.strLogTime = s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2) + " " +
                     s.substr(8, 2) + ":" + s.substr(10, 2) + ":" + s.substr(12, 2);
  names.strLogFileName = s.substr(0, 4) + "_" + s.substr(4, 2) + "_" + s.substr(6, 2) + ".log";
  return names;
}

}  // namespace dorvik
