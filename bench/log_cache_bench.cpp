// Every task's last backup time from a year of logs: 365 daily files of hourly lines for 200 tasks
// (1,752,000 lines). Prints, each against the floor (the files read line by line, nothing parsed):
// one GetLastBackupTime scan per task, the cache's first fill, and its refill after one more line.
// Checks that all of them give the times the generator wrote; exits 1 when they do not.
//   log_cache_bench FOLDER [PER_TASK_SCANS]
// FOLDER (created when missing, filled with a Log folder) is in the system's own path form.
// PER_TASK_SCANS: how many of the 200 per-task scans to time (default 5, the rest extrapolated).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "bench/plain_log_read.h"
#include "bench/year_of_logs.h"
#include "common/clock.h"
#include "jobs/backup_log.h"
#include "jobs/last_backup_cache.h"

using namespace dorvik;

namespace {

// The process's CPU time (user and system): on a machine shared with other work, wall time
// says more about the neighbours than about the code.
double CpuMillis() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Timing {
  double cpuMs = 0;
  double wallMs = 0;
};

template <class Work>
Timing Measure(Work work) {
  auto wallStart = std::chrono::steady_clock::now();
  double cpuStart = CpuMillis();
  work();
  Timing timing;
  timing.cpuMs = CpuMillis() - cpuStart;
  timing.wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
  return timing;
}

template <class Work>
Timing BestOf(int runs, Work work) {
  Timing best{1e300, 1e300};
  for (int i = 0; i < runs; ++i) {
    Timing timing = Measure(work);
    best.cpuMs = std::min(best.cpuMs, timing.cpuMs);
    best.wallMs = std::min(best.wallMs, timing.wallMs);
  }
  return best;
}

void PrintTiming(const char* what, const Timing& timing, const Timing& floor, const std::string& note) {
  std::printf("%-40s cpu %9.2f ms  wall %9.2f ms  %8.3fx floor%s\n", what, timing.cpuMs,
              timing.wallMs, timing.cpuMs / floor.cpuMs, note.c_str());
}

int CountMismatches(const char* what, const LastBackupTimes& got,
                    const std::map<std::string, std::string>& expected) {
  int mismatches = 0;
  for (const auto& keyTime : expected) {
    if (got.For(keyTime.first) == keyTime.second) continue;
    if (++mismatches <= 3) {
      std::printf("MISMATCH %s: %s gives %s, expected %s\n", what, keyTime.first.c_str(),
                  got.For(keyTime.first).c_str(), keyTime.second.c_str());
    }
  }
  if (got.times.size() != expected.size()) {
    std::printf("MISMATCH %s: %zu keys, expected %zu\n", what, got.times.size(), expected.size());
    ++mismatches;
  }
  return mismatches;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: log_cache_bench FOLDER [PER_TASK_SCANS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int perTaskScans = std::max(1, std::min(kYearTasks, argc > 2 ? std::atoi(argv[2]) : 5));
  const std::string programDir = folder + "\\";  // the core's form; the POSIX build reads "\" as "/"
  const std::string logDir = folder + kBenchSeparator + "Log";
  IFileSystem& files = RealFileSystem();
  YearOfLogs generated;
  if (!files.MakeDirectory(folder) || !files.MakeDirectory(programDir + "Log") ||
      !WriteYearOfLogs(logDir, &generated)) {
    std::fprintf(stderr, "cannot write the logs below %s\n", folder.c_str());
    return 1;
  }
  std::printf("Log folder: %zu files, %lld lines, %.1f MB\n", generated.fileNames.size(),
              generated.nLines, generated.nBytes / 1e6);

  long long linesRead = 0;
  Timing floor = BestOf(3, [&] { linesRead = ReadLogLinesPlainly(logDir, generated.fileNames); });
  PrintTiming("floor: fgets line by line, nothing read", floor, floor,
              "  (" + std::to_string(linesRead) + " lines, best of 3)");

  std::unique_ptr<IBackupLog> log = MakeBackupLog(programDir);
  LastBackupTimes perTask;
  perTask.bLogFolderFound = true;
  Timing scans = Measure([&] {
    for (int task = 1; task <= perTaskScans; ++task) {
      perTask.times[YearTaskKey(task)] = log->GetLastBackupTime(YearTaskKey(task));
    }
  });
  scans.cpuMs *= static_cast<double>(kYearTasks) / perTaskScans;
  scans.wallMs *= static_cast<double>(kYearTasks) / perTaskScans;
  PrintTiming("200 per-task GetLastBackupTime scans", scans, floor,
              perTaskScans < kYearTasks ? "  (extrapolated from " + std::to_string(perTaskScans) + ")" : "");

  LastBackupTimes firstFill;
  Timing fill = BestOf(3, [&] { firstFill = CLastBackupCache(programDir).GetAllLastBackupTimes(); });
  PrintTiming("cache: first fill", fill, floor, "  (best of 3)");

  // Runs of a few tasks, each appending one line to today's file and refilling the list.
  CLastBackupCache cache(programDir);
  cache.GetAllLastBackupTimes();
  const std::string today = generated.fileNames.back();
  // The mean of many: Windows counts CPU time in steps of 10 to 16 ms, longer than one refill, but
  // the steps of many runs add up to their whole time.
  const int kRefills = 30;
  Timing refill;
  LastBackupTimes refilled;
  std::map<std::string, std::string> expected = generated.lastTimes;
  for (int run = 1; run <= kRefills; ++run) {
    char clock[16];
    std::snprintf(clock, sizeof clock, " 23:59:%02d", run);
    std::string timeText = today.substr(0, 4) + "-" + today.substr(5, 2) + "-" + today.substr(8, 2) + clock;
    if (!log->AppendBackupLogLine(today, YearTaskLine(run, timeText, "x", "y"))) {
      std::fprintf(stderr, "cannot append to %s\n", today.c_str());
      return 1;
    }
    expected[YearTaskKey(run)] = timeText;
    Timing one = Measure([&] { refilled = cache.GetAllLastBackupTimes(); });
    refill.cpuMs += one.cpuMs / kRefills;
    refill.wallMs += one.wallMs / kRefills;
  }
  PrintTiming("cache: refill after one appended line", refill, floor,
              "  (mean of " + std::to_string(kRefills) + ")");

  int mismatches = 0;
  for (int task = 1; task <= perTaskScans; ++task) {
    const std::string key = YearTaskKey(task);
    if (perTask.For(key) != generated.lastTimes[key]) ++mismatches;
  }
  mismatches += CountMismatches("cache first fill", firstFill, generated.lastTimes);
  mismatches += CountMismatches("cache refill", refilled, expected);
  mismatches += CountMismatches("full scan", log->GetAllLastBackupTimes(), expected);
  std::printf("results: %s\n", mismatches ? "DIFFER" : "the per-task scans, the cache and the full "
                                                       "scan all give the times written");
  std::printf("goals (cpu): first fill within 2x of the floor (%s), refill under 5%% of it (%s)\n",
              fill.cpuMs <= 2 * floor.cpuMs ? "met" : "missed",
              refill.cpuMs < 0.05 * floor.cpuMs ? "met" : "missed");
  return mismatches ? 1 : 0;
}
