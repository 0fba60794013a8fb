// Opening the history browser on a busy server: a year of hourly backups of 20 tasks (10 file,
// 10 SQL Server; 175,680 log lines) of which only the last week's outputs still exist. Prints the
// time to load the rows in each mode, next to one plain line-by-line read of the same log files,
// and the ratio; then the rewrite of the logs without the lines of deleted outputs, which the
// dialog runs on another thread while the list is shown.
//   history_bench FOLDER        FOLDER (created, must not exist) in the system's own path form
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/plain_log_read.h"
#include "common/clock.h"
#include "common/file_system.h"
#include "console/history/history_rows.h"
#include "jobs/backup_log.h"

using namespace dorvik;

namespace {

const int kTasks = 20;
const int kFileTasks = 10;
const int kDays = 366;  // 2024
const int kKeptDays = 7;

struct Generated {
  std::vector<std::string> fileNames;
  long long nLines = 0;
  int nKept = 0;
};

// Paths in the logs and for the file system in the Windows form, which the POSIX file system reads
// too: the history looks up folders by their backslashes.
bool Generate(IFileSystem& fs, const std::string& root, Generated* out) {
  const std::string logDir = root + "\\Log";
  if (!fs.MakeDirectory(root) || !fs.MakeDirectory(logDir)) return false;
  const std::int64_t firstNoon = ToEpochSeconds(LocalTime{2024, 1, 1, 12, 0, 0});
  for (int task = 1; task <= kTasks; ++task) {
    if (!fs.MakeDirectory(root + "\\task" + std::to_string(task))) return false;
  }
  for (int d = 0; d < kDays; ++d) {
    LocalTime day = FromEpochSeconds(firstNoon + static_cast<std::int64_t>(d) * 86400);
    const bool bKept = d >= kDays - kKeptDays;
    std::string content;
    for (int hour = 0; hour < 24; ++hour) {
      for (int task = 1; task <= kTasks; ++task) {
        LocalTime run = day;
        run.hour = hour;
        run.minute = 0;
        run.second = 0;
        const std::string name = "dept" + std::to_string(task);
        const std::string folder = root + "\\task" + std::to_string(task) + "\\" + DateFolderName(run);
        const std::string stamp = FormatLocalTime(run, "%Y%m%d%H%M%S");
        const std::string timeText = FormatLocalTime(run, "%Y-%m-%d %H:%M:%S");
        const std::string output = folder + "\\" + (task <= kFileTasks ? "file_" : "db_") + name + "_" + stamp +
                                   (task <= kFileTasks ? ".zip" : ".bak");
        content += task <= kFileTasks ? FormatFileLogLine(std::to_string(task), timeText, "D:\\data\\" + name, output)
                                      : FormatSqlLogLine("sql" + std::to_string(task), timeText, output);
        ++out->nLines;
        if (!bKept) continue;
        if (!fs.MakeDirectory(folder) || !fs.AppendToFile(output, "backup")) return false;
        ++out->nKept;
      }
    }
    std::string crlf;
    for (char c : content) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string fileName = FormatLocalTime(day, "%Y_%m_%d.log");
    if (!fs.AppendToFile(logDir + "\\" + fileName, crlf)) return false;
    out->fileNames.push_back(fileName);
  }
  return true;
}

template <class Work>
double WallMs(Work work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: history_bench FOLDER\n");
    return 2;
  }
  IFileSystem& fs = RealFileSystem();
  const std::string root = argv[1];
  const std::string logDir = root + kBenchSeparator + "Log";  // for the C library's plain read
  Generated generated;
  if (!Generate(fs, root, &generated)) {
    std::fprintf(stderr, "cannot write the logs below %s\n", root.c_str());
    return 1;
  }
  std::printf("%lld log lines in %zu files, %d outputs kept (the last %d days)\n", generated.nLines,
              generated.fileNames.size(), generated.nKept, kKeptDays);
  long long read = 0;
  const double plainMs = WallMs([&] { read = ReadLogLinesPlainly(logDir, generated.fileNames); });
  std::printf("%-46s %9.1f ms  (%lld lines)\n", "plain read of the log files", plainMs, read);
  int failures = 0;
  const struct {
    const char* what;
    HistoryMode mode;
    int expected;
  } runs[] = {{"file mode, first opening", HistoryMode::File, generated.nKept / 2},
              {"file mode, next opening", HistoryMode::File, generated.nKept / 2},
              {"SQL Server mode", HistoryMode::Sql, generated.nKept / 2}};
  for (const auto& run : runs) {
    HistoryLoad load;
    const double ms = WallMs([&] { load = LoadHistory(fs, root + "\\Log", run.mode); });
    std::printf("%-46s %9.1f ms  %7.2fx plain read  (%d rows)\n", run.what, ms, ms / plainMs, load.nCount);
    if (load.nCount != run.expected) {
      std::printf("  wrong: %d rows expected\n", run.expected);
      ++failures;
    }
    if (load.rewrites.empty()) continue;
    const double rewriteMs = WallMs([&] { RewriteLogs(fs, BackupLogLock(), load.rewrites); });
    std::printf("%-46s %9.1f ms  (%zu files, each flushed to disk)\n", "  its log rewrite, behind the shown list",
                rewriteMs, load.rewrites.size());
  }
  return failures == 0 ? 0 : 1;
}
