#pragma once
// What the console's two task lists show: their columns, and each row's texts built from the
// task records and the backup log.
#include <map>
#include <string>
#include <vector>

#include "console/core/list_row.h"
#include "jobs/backup_log.h"

namespace dorvik {

constexpr int kListColumnCount = 8;
constexpr int kIdColumn = 7;  // the record's identifier, by which commands find it
constexpr int kLastBackupColumn = 5;
constexpr int kSqlNameColumn = 1;  // a SQL Server task's name, its key in the log

extern const ListColumn kFileListColumns[kListColumnCount];
extern const ListColumn kSqlListColumns[kListColumnCount];

// Reasons by task key (a file task's ID, a SQL Server task's name) for tasks that failed or
// missed their run; the rows whose `keyColumn` holds such a key carry the reason.
using TaskWarnings = std::map<std::string, std::string>;
std::vector<ListRow> WithWarnings(std::vector<ListRow> rows, int keyColumn,
                                  const TaskWarnings& warnings);

// The last-backup column: a file task shows "-" for "2000-01-01 01:01:01" and for any time
// whose year is below 2012 (an empty one included); a SQL Server task only for the former.
std::string FileLastBackupText(const std::string& logTime);
std::string SqlLastBackupText(const std::string& logTime);

// Rows top to bottom: the document's last record first, numbered from 1 at the top.
std::vector<ListRow> FileTaskRows(const std::vector<std::string>& records,
                                  const LastBackupTimes& times);
std::vector<ListRow> SqlTaskRows(const std::vector<std::string>& records,
                                 const LastBackupTimes& times);

// "1", "2", ... for rows counted from the top.
std::string RowNumberText(int rowIndex);

}  // namespace dorvik
