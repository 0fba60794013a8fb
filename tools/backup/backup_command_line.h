#pragma once
// Backup.exe's command line as the service builds it: the program, then the whole task record
// in double quotes (it holds no quotes itself, but may hold blanks), then "是" or "否".
#include <string>

namespace dorvik {

struct BackupCommandLine {
  std::string strRecord;
  bool bCompress = false;  // "是"
};

// The record is what lies between the first and the last double quote. False with a message
// when the line has no quoted record or the choice is neither "是" nor "否".
bool ParseBackupCommandLine(const std::string& line, BackupCommandLine* parsed, std::string* error);

}  // namespace dorvik
