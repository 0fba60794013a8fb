#pragma once
// A year of backup logs for the benchmarks: 365 daily files of 2024 with an hourly line for each
// of 200 tasks (1,752,000 lines, about 210 MB), written as the jobs write them.
#include <map>
#include <string>
#include <vector>

namespace dorvik {

constexpr int kYearTasks = 200;
constexpr int kYearDays = 365;
constexpr int kYearFileTasks = 150;  // the others are SQL Server tasks

// A file task's key is its number; a SQL Server task's is "sql" + its number.
std::string YearTaskKey(int task);

// One log line of a task's run ("\n" at its end, as the formats end).
std::string YearTaskLine(int task, const std::string& timeText, const std::string& stamp,
                         const std::string& dateFolder);

struct YearOfLogs {
  std::vector<std::string> fileNames;
  std::map<std::string, std::string> lastTimes;  // key -> latest time text written
  long long nLines = 0;
  long long nBytes = 0;
};

// Writes the files into logDir (which must exist); false when one cannot be written.
bool WriteYearOfLogs(const std::string& logDir, YearOfLogs* out);

}  // namespace dorvik
