#include "bench/year_of_logs.h"

#include <cstdio>

#include "bench/plain_log_read.h"
#include "common/clock.h"
#include "jobs/backup_log.h"

namespace dorvik {

std::string YearTaskKey(int task) {
  return task <= kYearFileTasks ? std::to_string(task) : "sql" + std::to_string(task);
}

std::string YearTaskLine(int task, const std::string& timeText, const std::string& stamp,
                         const std::string& dateFolder) {
  std::string name = "dept" + std::to_string(task);
  if (task <= kYearFileTasks) {
    return FormatFileLogLine(YearTaskKey(task), timeText, "D:\\data\\" + name,
                             "E:\\store\\" + dateFolder + "\\file_" + name + "_" + stamp + ".zip");
  }
  return FormatSqlLogLine(YearTaskKey(task), timeText,
                          "F:\\sql\\" + name + "\\" + dateFolder + "\\db_" + name + "_" + stamp + ".bak");
}

// Files as the jobs write them (CR LF line ends), one a day of 2024 from January 1.
bool WriteYearOfLogs(const std::string& logDir, YearOfLogs* out) {
  const std::int64_t firstNoon = ToEpochSeconds(LocalTime{2024, 1, 1, 12, 0, 0});
  std::string content;
  for (int d = 0; d < kYearDays; ++d) {
    LocalTime day = FromEpochSeconds(firstNoon + static_cast<std::int64_t>(d) * 86400);
    content.clear();
    for (int hour = 0; hour < 24; ++hour) {
      for (int task = 1; task <= kYearTasks; ++task) {
        LocalTime run = day;
        run.hour = hour;
        run.minute = 0;
        run.second = task % 60;
        std::string timeText = FormatLocalTime(run, "%Y-%m-%d %H:%M:%S");
        std::string line = YearTaskLine(task, timeText, FormatLocalTime(run, "%Y%m%d%H%M%S"), DateFolderName(run));
        content.append(line, 0, line.size() - 1).append("\r\n");
        out->lastTimes[YearTaskKey(task)] = timeText;
        ++out->nLines;
      }
    }
    std::string name = FormatLocalTime(day, "%Y_%m_%d.log");
    std::FILE* file = std::fopen((logDir + kBenchSeparator + name).c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    if (std::fclose(file) != 0 || !written) return false;
    out->fileNames.push_back(name);
    out->nBytes += static_cast<long long>(content.size());
  }
  return true;
}

}  // namespace dorvik
