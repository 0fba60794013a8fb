#pragma once
// The daily backup log in the Log folder beside the programs: exact line formats, appends that
// never interleave within a line (across threads and processes), and reading back last times.
#include <map>
#include <string>

namespace dorvik {

// "%-15s" "    %s" "    %-30s" "    %s\n"
std::string FormatFileLogLine(const std::string& key, const std::string& timeText,
                              const std::string& source, const std::string& output);
// "%-15s" "    %s" "    %s\n"
std::string FormatSqlLogLine(const std::string& key, const std::string& timeText,
                             const std::string& output);

class IBackupLog {
 public:
  virtual ~IBackupLog() = default;
  // Appends one whole line (already formatted, ending in "\n") to Log\<logFileName>; creates the
  // Log folder when needed. False when the file could not be opened or written.
  virtual bool AppendBackupLogLine(const std::string& logFileName, const std::string& line) = 0;
  // The latest time text for the key; "2000-01-01 01:01:01" when none; "" without a Log folder.
  virtual std::string GetLastBackupTime(const std::string& key) = 0;
  // Every key's latest time in one pass over the logs (same results as GetLastBackupTime).
  virtual std::map<std::string, std::string> GetAllLastBackupTimes() = 0;
};

}  // namespace dorvik
