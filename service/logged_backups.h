#pragma once
// What the backup log says the tasks made: only successful runs write a line, so a line whose
// output still exists names a good backup. Read once per retention pass.
#include <cstddef>
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
  // How many of each key's newest lines are kept: a year of hourly runs must not fill the
  // service's memory, and the newest output that still exists is almost always the newest
  // logged one. A task whose kept outputs are all gone falls back to the names on disk.
  static constexpr std::size_t kKeptPerKey = 64;

  // Reads every file of the Log folder once, keeping the newest lines of the given keys (file
  // tasks' m_strID, SQL Server tasks' projectname). A missing folder or unreadable file gives
  // nothing.
  CLoggedBackups(IFileSystem& files, const std::string& logFolder, const std::set<std::string>& keys);

  // The key's outputs, newest first. File lines and SQL lines share one key space; a file task
  // asks for file lines' outputs, a SQL Server task for SQL lines'.
  std::vector<LoggedOutput> FileOutputs(const std::string& key) const;
  std::vector<LoggedOutput> SqlOutputs(const std::string& key) const;

 private:
  struct CLine {
    LogStamp when = 0;
    std::string strRest;  // what follows the time, leading blanks removed
  };
  std::vector<LoggedOutput> Outputs(const std::string& key, bool bFileLines) const;
  static void KeepNewest(std::vector<CLine>* lines, std::size_t count);

  std::map<std::string, std::vector<CLine>> m_lines;
};

}  // namespace dorvik
