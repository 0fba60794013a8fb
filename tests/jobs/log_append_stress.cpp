// One of several writers appending to the same day's log at once:
//   log_append_stress PROGRAMDIR WRITER COUNT
// Each line names its writer and number, so a checker can tell a torn or lost line.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "jobs/backup_log.h"

using namespace dorvik;

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: log_append_stress PROGRAMDIR WRITER COUNT\n");
    return 2;
  }
  std::unique_ptr<IBackupLog> log = MakeBackupLog(argv[1]);
  const std::string writer = argv[2];
  const int count = std::atoi(argv[3]);
  const std::string padding(120, 'x');
  int failed = 0;
  for (int i = 0; i < count; ++i) {
    std::string output = "D:\\bak\\" + writer + "\\" + std::to_string(i) + "\\" + padding;
    std::string line = FormatFileLogLine("w" + writer, "2024-05-01 08:30:00", "C:\\src\\" + writer, output);
    if (!log->AppendBackupLogLine("2024_05_01.log", line)) ++failed;
  }
  if (failed) std::fprintf(stderr, "%d appends failed\n", failed);
  return failed ? 1 : 0;
}
