// Writes a year of hourly backup logs for 200 tasks into PROGRAM_DIR/Log (created when missing),
// for benchmarks that run the programs on them:
//   year_of_logs PROGRAM_DIR
#include <cstdio>
#include <string>

#include "bench/plain_log_read.h"
#include "bench/year_of_logs.h"
#include "common/file_system.h"

using namespace dorvik;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: year_of_logs PROGRAM_DIR\n");
    return 2;
  }
  const std::string logDir = std::string(argv[1]) + kBenchSeparator + "Log";
  YearOfLogs written;
  if (!RealFileSystem().MakeDirectory(logDir) || !WriteYearOfLogs(logDir, &written)) {
    std::fprintf(stderr, "cannot write the logs below %s\n", logDir.c_str());
    return 1;
  }
  std::printf("%zu log files, %lld lines, %.1f MB\n", written.fileNames.size(), written.nLines,
              written.nBytes / 1e6);
  return 0;
}
