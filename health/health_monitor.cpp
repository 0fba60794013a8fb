#include "health/health_monitor.h"

namespace dorvik {

CHealthMonitor::CHealthMonitor(const std::string& programDir, IFileSystem& files, IHealthEvents& events)
    : m_strProgramDir(programDir), m_files(files), m_events(events), m_log(programDir, files) {}

void CHealthMonitor::Start(const std::vector<HealthTask>& tasks, Moment now) {
  std::lock_guard<std::mutex> hold(m_cs);
  m_tasks = tasks;
  // Two levels: MakeDirectory makes one at a time. A failure shows at the first write.
  m_files.MakeDirectory(HealthFolder(m_strProgramDir));
  m_files.MakeDirectory(RecordsFolder(m_strProgramDir));
  m_records = ReadStoredRecords(m_files, m_strProgramDir);
  for (const std::string& path : m_records.damaged) m_events.RecordDamaged(path);

  if (m_records.service.recordsBegan == kNoMoment) m_records.service.recordsBegan = now;
  m_records.service.serviceStart = now;
  m_service.serviceStart = now;
  std::string error;
  Written(WriteFileWhole(m_files, ServiceRecordPath(m_strProgramDir), FormatServiceRecord(m_records.service), &error),
          error, &m_bRecordsFailing);

  for (const HealthTask& task : tasks) {
    if (!task.bEnabled) continue;
    RunRecord& record = RecordOf(task.strKind, task.strKey);
    const bool bStaleMark = record.runningSince != kNoMoment;
    if (record.strSchedule == task.strSchedule && record.watchedSince != kNoMoment && !bStaleMark) continue;
    if (record.strSchedule != task.strSchedule || record.watchedSince == kNoMoment) {
      // New, or due at other times now: what was due before does not count against it.
      // From the start of this minute: a service started within minute 0 of a listed hour
      // still starts that hour's run, so that due moment counts.
      record.strSchedule = task.strSchedule;
      record.watchedSince = now - now % 60;
    }
    record.runningSince = record.runningService = kNoMoment;
    Save(record);
  }
}

RunRecord& CHealthMonitor::RecordOf(const std::string& kind, const std::string& key) {
  RunRecord& record = m_records.runs[RunRecordFileName(kind, key)];
  if (record.strKey.empty()) {
    record.strKind = kind;
    record.strKey = key;
  }
  return record;
}

bool CHealthMonitor::Written(bool bOk, const std::string& error, bool* pbFailing) {
  if (!bOk && !*pbFailing) m_events.HealthWriteFailed(error);
  *pbFailing = !bOk;
  return bOk;
}

void CHealthMonitor::Save(const RunRecord& record) {
  std::string error;
  const std::string path = RecordsFolder(m_strProgramDir) + "\\" + RunRecordFileName(record.strKind, record.strKey);
  Written(WriteFileWhole(m_files, path, FormatRunRecord(record), &error), error, &m_bRecordsFailing);
}

void CHealthMonitor::RunStarted(const std::string& kind, const std::string& key, Moment now) {
  std::lock_guard<std::mutex> hold(m_cs);
  RunRecord& record = RecordOf(kind, key);
  record.runningSince = now;
  record.runningService = m_service.serviceStart;
  Save(record);
}

void CHealthMonitor::RunEnded(const std::string& kind, const std::string& key, const RunOutcome& outcome) {
  std::lock_guard<std::mutex> hold(m_cs);
  RunRecord& record = RecordOf(kind, key);
  record.runningSince = record.runningService = kNoMoment;
  record.lastStart = outcome.start;
  record.lastEnd = outcome.end;
  record.bLastSucceeded = outcome.bSucceeded;
  if (outcome.bSucceeded) {
    record.lastSuccess = outcome.end;
    record.nOutputBytes = outcome.nOutputBytes;
  } else {
    record.lastFailure = outcome.end;
    record.strFailure = outcome.strFailure;
  }
  Save(record);
}

void CHealthMonitor::RetentionPassed(Moment end, long long nDeleted) {
  std::lock_guard<std::mutex> hold(m_cs);
  m_service.retentionPass = end;
  m_service.nRetentionDeleted = nDeleted;
}

void CHealthMonitor::Refresh(Moment now) {
  // The log is read outside the lock: job threads record runs meanwhile.
  const LastBackupTimes log = m_log.GetAllLastBackupTimes();
  std::lock_guard<std::mutex> hold(m_cs);
  const std::vector<TaskHealthRow> rows = AssessTasks(m_tasks, log, m_records, m_service.serviceStart, now);
  for (const TaskHealthRow& row : rows) {
    if (!row.task.bEnabled || row.health.state == HealthState::Pending) continue;
    RunRecord& record = RecordOf(row.task.strKind, row.task.strKey);
    const std::string state = HealthStateName(row.health.state);
    if (record.strReported == state) continue;
    if (row.health.state == HealthState::Missed) m_events.TaskMissed(row);
    if (row.health.state == HealthState::Ok && !record.strReported.empty()) m_events.TaskRecovered(row);
    record.strReported = state;
    Save(record);
  }
  std::string error;
  Written(WriteFileWhole(m_files, ExpositionPath(m_strProgramDir), FormatExposition(rows, m_service, now), &error),
          error, &m_bExpositionFailing);
}

}  // namespace dorvik
