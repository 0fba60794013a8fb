// One of several writers appending to the same day's log at once:
//   log_append_stress PROGRAMDIR WRITER COUNT
//     COUNT file lines to 2024_05_01.log as fast as it can; each names its writer and number, so
//     a checker can tell a torn or lost line.
//   log_append_stress PROGRAMDIR WRITER --until STOPFILE OUTPUT
//     SQL Server lines to 2024_05_03.log, one every 1.2 ms as busy jobs write them, until STOPFILE
//     exists. Keys "w<WRITER>n<number>" name OUTPUT; every 50th line is "w<WRITER>g<number>" and
//     names OUTPUT + ".gone", a backup whose output is gone, for the history to remove. Prints
//     "<WRITER> <kept lines> <gone lines> <milliseconds>" at the end.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "jobs/backup_log.h"

using namespace dorvik;

namespace {

constexpr std::chrono::microseconds kPace{1200};
constexpr int kGoneEvery = 50;
constexpr int kStopCheckEvery = 50;

int AppendAtOnce(IBackupLog& log, const std::string& writer, int count) {
  const std::string padding(120, 'x');
  int failed = 0;
  for (int i = 0; i < count; ++i) {
    std::string output = "D:\\bak\\" + writer + "\\" + std::to_string(i) + "\\" + padding;
    std::string line = FormatFileLogLine("w" + writer, "2024-05-01 08:30:00", "C:\\src\\" + writer, output);
    if (!log.AppendBackupLogLine("2024_05_01.log", line)) ++failed;
  }
  if (failed) std::fprintf(stderr, "%d appends failed\n", failed);
  return failed ? 1 : 0;
}

int AppendPaced(IBackupLog& log, const std::string& writer, const std::string& stopFile, const std::string& output) {
  int kept = 0, gone = 0, failed = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0;; ++i) {
    if (i % kStopCheckEvery == 0 && RealFileSystem().Exists(stopFile)) break;
    std::this_thread::sleep_until(start + i * kPace);
    const bool bGone = i % kGoneEvery == kGoneEvery - 1;
    const std::string key = "w" + writer + (bGone ? "g" : "n") + std::to_string(bGone ? gone : kept);
    const std::string line = FormatSqlLogLine(key, "2024-05-03 08:30:00", bGone ? output + ".gone" : output);
    if (!log.AppendBackupLogLine("2024_05_03.log", line)) {
      ++failed;
      continue;
    }
    ++(bGone ? gone : kept);
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  std::printf("%s %d %d %lld\n", writer.c_str(), kept, gone, static_cast<long long>(ms.count()));
  if (failed) std::fprintf(stderr, "%d appends failed\n", failed);
  return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[3]) == "--until") {
    return AppendPaced(*MakeBackupLog(argv[1]), argv[2], argv[4], argv[5]);
  }
  if (argc == 4) return AppendAtOnce(*MakeBackupLog(argv[1]), argv[2], std::atoi(argv[3]));
  std::fprintf(stderr,
               "usage: log_append_stress PROGRAMDIR WRITER COUNT\n"
               "       log_append_stress PROGRAMDIR WRITER --until STOPFILE OUTPUT\n");
  return 2;
}
