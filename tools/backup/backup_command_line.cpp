#include "tools/backup/backup_command_line.h"

#include "common/gbk.h"
#include "common/text.h"

namespace dorvik {

bool ParseBackupCommandLine(const std::string& line, BackupCommandLine* parsed, std::string* error) {
  // A program path in quotes (a line that starts with one) is not part of the record.
  std::string::size_type from = 0;
  if (!line.empty() && line[0] == '"') {
    std::string::size_type close = FindFirstChar(line, '"', 1);
    from = close == std::string::npos ? line.size() : close + 1;
  }
  std::string::size_type first = FindFirstChar(line, '"', from);
  std::string::size_type last = FindLastChar(line, '"');
  if (first == std::string::npos || last <= first) {
    *error = "命令行中没有带引号的任务记录";
    return false;
  }
  std::string choice = TrimBoth(line.substr(last + 1));
  if (choice != "是" && choice != "否") {
    *error = "命令行末尾应为“是”或“否”：" + choice;
    return false;
  }
  parsed->strRecord = line.substr(first + 1, last - first - 1);
  parsed->bCompress = choice == "是";
  return true;
}

}  // namespace dorvik
