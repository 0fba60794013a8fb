#pragma once
// The history browser's rows: loading them from the Log folder (removing the lines whose backup
// is gone), and the filters that rebuild the list from the copy saved at loading.
#include <string>
#include <vector>

#include "common/file_system.h"
#include "common/named_lock.h"
#include "console/history/history_log.h"

namespace dorvik {

// Column texts of one row: file mode ID, time, source, output; SQL mode ID, database, task,
// time, output.
using HistoryRow = std::vector<std::string>;

// A log file to write back without the lines whose output is gone.
struct LogRewrite {
  std::string strPath, strRead, strNew;
};

struct HistoryLoad {
  std::vector<HistoryRow> rows;  // top first
  int nCount = 0;
  std::vector<LogRewrite> rewrites;
};

constexpr int kHistoryFileColumns = 4;
constexpr int kHistorySqlColumns = 5;
inline int HistoryColumnCount(HistoryMode mode) {
  return mode == HistoryMode::File ? kHistoryFileColumns : kHistorySqlColumns;
}
inline int HistoryOutputColumn(HistoryMode mode) { return HistoryColumnCount(mode) - 1; }

// Reads every file of the Log folder in listed order; each listed backup goes on top, so the last
// line read ends at the top. Log files that named missing outputs come with their rewrite, which
// the caller runs with RewriteLogs (each one flushes to disk, so it may go to another thread).
HistoryLoad LoadHistory(IFileSystem& fs, const std::string& logFolder, HistoryMode mode);

// A log that cannot be rewritten keeps its lines; they are tried again at the next opening.
// `logLock` is the lock every appender holds for its write (BackupLogLock()).
void RewriteLogs(IFileSystem& fs, INamedLock& logLock, const std::vector<LogRewrite>& rewrites);

// Rewrites one log file as a new file beside it moved over the old one, so a crash leaves either
// the old or the new content. Holding `logLock` from the last reading to the move, it carries
// over every line appended since the first reading; when the file changed otherwise, or the lock
// cannot be had, it is left as it is. False when the log keeps its old content.
bool RewriteLogFile(IFileSystem& fs, INamedLock& logLock, const std::string& path,
                    const std::string& readContent, const std::string& newContent);

// The text between the first "db_" and the first "_2" of a backup file name; empty without both.
std::string DatabaseOfBackupName(const std::string& fileName);
// "5月" for a time text of May: the leading number after the first five characters.
std::string MonthEntry(const std::string& timeText);
// The texts without later repeats that differ only in ASCII case, order kept.
std::vector<std::string> DistinctTexts(const std::vector<std::string>& texts);
std::vector<std::string> ColumnTexts(const std::vector<HistoryRow>& rows, int column);

// SQL mode: rows whose `column` contains `text` (an empty text matches all), numbered from 1 at
// the top. File mode's filters below keep the count text unchanged.
std::vector<HistoryRow> FilterSqlRows(const std::vector<HistoryRow>& saved, int column,
                                      const std::string& text);
// File mode: rows whose source equals the folder, column 0 the match number (1 at the bottom).
std::vector<HistoryRow> FilterFolderRows(const std::vector<HistoryRow>& saved, const std::string& folder);
// File mode: rows of the month of the chosen entry, numbered from 1 at the top.
std::vector<HistoryRow> FilterMonthRows(const std::vector<HistoryRow>& saved, const std::string& entry);
// File mode's "显示全部": every row with its saved number.
std::vector<HistoryRow> AllFileRows(const std::vector<HistoryRow>& saved);

}  // namespace dorvik
