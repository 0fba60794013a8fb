#pragma once
// What the backup log says the tasks made: only successful runs write a line, so a line whose
// output still exists names a good backup. Read once per retention pass.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "jobs/log_scan.h"

namespace dorvik {

struct LoggedOutput {
  LogStamp when = 0;
  std::string strPath;
};

class CLoggedBackups {
 public:
  // Reads every file of the Log folder once, keeping the lines of the given keys (file tasks'
  // m_strID, SQL Server tasks' projectname). A missing folder or unreadable file gives nothing.
  CLoggedBackups(IFileSystem& files, const std::string& logFolder, const std::set<std::string>& keys);

  // The key's outputs, newest first. File lines and SQL lines share one key space; a file task
  // asks for file lines' outputs, a SQL Server task for SQL lines'.
  std::vector<LoggedOutput> FileOutputs(const std::string& key) const;
  std::vector<LoggedOutput> SqlOutputs(const std::string& key) const;

 private:
  struct CLine {
    LogStamp when = 0;
    std::string strRest;  // what follows the time
  };
  std::vector<LoggedOutput> Outputs(const std::string& key, bool bFileLines) const;

  std::map<std::string, std::vector<CLine>> m_lines;
};

}  // namespace dorvik
