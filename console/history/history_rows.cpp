#include "console/history/history_rows.h"

#include <algorithm>

#include "common/clock.h"
#include "common/gbk.h"
#include "common/text.h"
#include "config/document.h"
#include "console/history/output_lookup.h"
#include "jobs/backup_log.h"

namespace dorvik {

namespace {

// A rewrite's new file; never read as a log (see LoadHistory).
constexpr const char* kRewriteSuffix = ".rewrite";

long long MonthOf(const std::string& timeText) {
  return timeText.size() > 5 ? LeadingNumber(timeText.substr(5)) : 0;
}

void NumberFromTop(std::vector<HistoryRow>* rows) {
  for (std::size_t i = 0; i < rows->size(); ++i) (*rows)[i][0] = std::to_string(i + 1);
}

// The rows that pass, each inserted on top: the reverse of the saved order.
template <class Pass>
std::vector<HistoryRow> ReversedWhere(const std::vector<HistoryRow>& saved, Pass pass) {
  std::vector<HistoryRow> rows;
  for (auto row = saved.rbegin(); row != saved.rend(); ++row) {
    if (pass(*row)) rows.push_back(*row);
  }
  return rows;
}

HistoryRow RowOf(const HistoryLogLine& line, const DirectoryEntry& made, HistoryMode mode, int count) {
  const std::string time = FormatLocalTime(FromEpochSeconds(made.creationTime), "%Y-%m-%d %H:%M:%S");
  const std::string output(line.output);
  if (mode == HistoryMode::File) return {std::to_string(count), time, std::string(line.source), output};
  return {std::string(), DatabaseOfBackupName(LastPathComponent(output)), std::string(line.key), time, output};
}

}  // namespace

HistoryLoad LoadHistory(IFileSystem& fs, const std::string& logFolder, HistoryMode mode) {
  HistoryLoad load;
  COutputLookup outputs(fs);
  const std::string folder = WithTrailingBackslash(logFolder);
  for (const DirectoryEntry& file : fs.ListDirectory(logFolder)) {
    if (file.isDirectory || EndsWith(file.name, kRewriteSuffix)) continue;
    std::string content;
    if (!fs.ReadWholeFile(folder + file.name, &content)) continue;  // an unreadable log adds nothing
    std::vector<HistoryLogLine> gone;
    for (const HistoryLogLine& line : ReadHistoryLines(content, mode)) {
      DirectoryEntry output;
      if (!outputs.Find(line.output, &output)) {
        if (line.bRemovable) gone.push_back(line);
      } else if (IsListedLine(line, mode)) {
        load.rows.push_back(RowOf(line, output, mode, ++load.nCount));
      }
    }
    if (!gone.empty()) {
      std::string kept = ContentWithoutLines(content, gone);
      load.rewrites.push_back({folder + file.name, std::move(content), std::move(kept)});
    }
  }
  std::reverse(load.rows.begin(), load.rows.end());
  if (mode == HistoryMode::Sql) NumberFromTop(&load.rows);
  return load;
}

void RewriteLogs(IFileSystem& fs, INamedLock& logLock, const std::vector<LogRewrite>& rewrites) {
  for (const LogRewrite& rewrite : rewrites) {
    RewriteLogFile(fs, logLock, rewrite.strPath, rewrite.strRead, rewrite.strNew);
  }
}

bool RewriteLogFile(IFileSystem& fs, INamedLock& logLock, const std::string& path,
                    const std::string& readContent, const std::string& newContent) {
  const std::string temp = path + kRewriteSuffix;
  std::unique_ptr<IFile> file = fs.CreateNewFile(temp);
  if (!file && fs.RemoveFile(temp)) file = fs.CreateNewFile(temp);  // left by an earlier crash
  if (!file) return false;
  bool ok = file->Write(newContent.data(), newContent.size());
  {
    // Appenders wait from here to the move: none writes into the old file after its last reading.
    CNamedLockHold hold(logLock, kBackupLogLockWaitMs);
    std::string current;
    ok = ok && hold.Held() && fs.ReadWholeFile(path, &current) &&
         current.compare(0, readContent.size(), readContent) == 0;
    if (ok && current.size() > readContent.size())
      ok = file->Write(current.data() + readContent.size(), current.size() - readContent.size());
    ok = file->Close() && ok;
    if (ok && fs.MoveOver(temp, path)) return true;
  }
  fs.RemoveFile(temp);  // the log itself is untouched; a leftover is replaced next time
  return false;
}

std::string DatabaseOfBackupName(const std::string& fileName) {
  return GetTagValue(fileName, "db_", "_2");
}

std::string MonthEntry(const std::string& timeText) { return std::to_string(MonthOf(timeText)) + "月"; }

std::vector<std::string> DistinctTexts(const std::vector<std::string>& texts) {
  std::vector<std::string> distinct, keys;
  for (const std::string& text : texts) {
    std::string key = AsciiLower(text);
    if (std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
    keys.push_back(key);
    distinct.push_back(text);
  }
  return distinct;
}

std::vector<std::string> ColumnTexts(const std::vector<HistoryRow>& rows, int column) {
  std::vector<std::string> texts;
  for (const HistoryRow& row : rows) texts.push_back(row[column]);
  return texts;
}

std::vector<HistoryRow> FilterSqlRows(const std::vector<HistoryRow>& saved, int column,
                                      const std::string& text) {
  std::vector<HistoryRow> rows = ReversedWhere(
      saved, [&](const HistoryRow& row) { return row[column].find(text) != std::string::npos; });
  NumberFromTop(&rows);
  return rows;
}

std::vector<HistoryRow> FilterFolderRows(const std::vector<HistoryRow>& saved, const std::string& folder) {
  std::vector<HistoryRow> rows = ReversedWhere(saved, [&](const HistoryRow& row) { return row[2] == folder; });
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i][0] = std::to_string(rows.size() - i);
  return rows;
}

std::vector<HistoryRow> FilterMonthRows(const std::vector<HistoryRow>& saved, const std::string& entry) {
  const long long month = LeadingNumber(entry);
  std::vector<HistoryRow> rows = ReversedWhere(saved, [&](const HistoryRow& row) { return MonthOf(row[1]) == month; });
  NumberFromTop(&rows);
  return rows;
}

std::vector<HistoryRow> AllFileRows(const std::vector<HistoryRow>& saved) {
  return ReversedWhere(saved, [](const HistoryRow&) { return true; });
}

}  // namespace dorvik
