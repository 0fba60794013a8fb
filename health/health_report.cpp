#include "health/health_report.h"

#include <cstdio>

#include "config/document.h"
#include "service/task_watch.h"

namespace dorvik {

std::vector<HealthTask> ReadHealthTasks(const std::string& document) {
  std::vector<HealthTask> tasks;
  for (const std::string& record : SplitRecords("FileBackups", document)) {
    const FileTaskWatch watch = ReadFileTaskWatch(record);
    tasks.push_back({"file", GetTag(record, "m_strID"), watch.request.strSouPath,
                     GetTag(record, "strdate") + " " + GetTag(record, "m_strtime"), watch.dayRule, watch.hours,
                     watch.bEnabled});
  }
  for (const std::string& record : SplitRecords("SqlBackups", document)) {
    const SqlTaskWatch watch = ReadSqlTaskWatch(record);
    tasks.push_back({"sql", GetTag(record, "projectname"), GetTag(record, "sqlname"),
                     GetTag(record, "date") + " " + GetTag(record, "time"), watch.dayRule, watch.hours,
                     watch.bEnabled});
  }
  return tasks;
}

Moment ParseTimeText(const std::string& text) {
  LocalTime t;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                  &t.second, &tail) != 6 ||
      !IsValidLocalTime(t)) {
    return kNoMoment;
  }
  return ToEpochSeconds(t);
}

std::vector<TaskHealthRow> AssessTasks(const std::vector<HealthTask>& tasks, const LastBackupTimes& log,
                                       const StoredRecords& records, Moment liveService, Moment now) {
  std::vector<TaskHealthRow> rows;
  for (const HealthTask& task : tasks) {
    TaskHealthRow row;
    row.task = task;
    TaskHealthFacts& facts = row.facts;
    auto logTime = log.times.find(task.strKey);
    if (logTime != log.times.end()) facts.lastSuccess = ParseTimeText(logTime->second);
    facts.watchedSince = records.service.recordsBegan;
    auto found = records.runs.find(RunRecordFileName(task.strKind, task.strKey));
    if (found != records.runs.end()) {
      const RunRecord& record = found->second;
      if (record.strSchedule == task.strSchedule) facts.watchedSince = record.watchedSince;
      if (record.lastSuccess != kNoMoment && record.lastSuccess > facts.lastSuccess) {
        facts.lastSuccess = record.lastSuccess;
      }
      facts.lastFailure = record.lastFailure;
      facts.strFailure = record.strFailure;
      facts.bRunning = record.runningSince != kNoMoment && liveService != kNoMoment &&
                       record.runningService == liveService;
      row.lastStart = record.lastStart;
      row.lastEnd = record.lastEnd;
      row.nOutputBytes = record.nOutputBytes;
    }
    if (task.bEnabled) row.health = JudgeTaskHealth(task.dayRule, task.hours, facts, now);
    rows.push_back(row);
  }
  return rows;
}

std::vector<TaskHealthRow> ReadTaskHealth(const std::string& document, const std::string& programDir,
                                          const LastBackupTimes& log, Moment now, bool bServiceRunning,
                                          IFileSystem& files) {
  const StoredRecords records = ReadStoredRecords(files, programDir);
  return AssessTasks(ReadHealthTasks(document), log, records,
                     bServiceRunning ? records.service.serviceStart : kNoMoment, now);
}

std::vector<TaskHealthRow> ReadTaskHealth(const std::string& document, const std::string& programDir,
                                          Moment now, bool bServiceRunning, IFileSystem& files) {
  return ReadTaskHealth(document, programDir, MakeBackupLog(programDir, files)->GetAllLastBackupTimes(), now,
                        bServiceRunning, files);
}

}  // namespace dorvik
