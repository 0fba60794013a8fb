#pragma once
// The service's side of health: it records every run it starts, judges every task once a minute
// and after every run and retention pass, writes the exposition file, and reports each change to
// missed, and back to ok, once. Thread-safe: job threads record runs while the health thread
// refreshes.
#include <mutex>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "health/exposition.h"
#include "health/health_report.h"
#include "jobs/last_backup_cache.h"

namespace dorvik {

// Where the monitor reports (the event log in the service; a recorder in tests).
class IHealthEvents {
 public:
  virtual ~IHealthEvents() = default;
  virtual void TaskMissed(const TaskHealthRow& row) = 0;
  virtual void TaskRecovered(const TaskHealthRow& row) = 0;
  // A health file could not be written: reported once until a write succeeds again.
  virtual void HealthWriteFailed(const std::string& error) = 0;
  // A record that is not whole is ignored (and replaced at the task's next write).
  virtual void RecordDamaged(const std::string& path) = 0;
};

struct RunOutcome {
  Moment start = kNoMoment;
  Moment end = kNoMoment;
  bool bSucceeded = false;
  std::string strFailure;
  std::uint64_t nOutputBytes = 0;
};

class CHealthMonitor {
 public:
  CHealthMonitor(const std::string& programDir, IFileSystem& files, IHealthEvents& events);

  // Reads the records, notes the service's start and records every task it does not know with
  // its present schedule as watched from now. Marks of runs a former service left are cleared.
  void Start(const std::vector<HealthTask>& tasks, Moment now);

  void RunStarted(const std::string& kind, const std::string& key, Moment now);
  void RunEnded(const std::string& kind, const std::string& key, const RunOutcome& outcome);
  void RetentionPassed(Moment end, long long nDeleted);

  // Judges every task, reports changes and rewrites the exposition file. One caller at a time
  // (the health thread).
  void Refresh(Moment now);

 private:
  RunRecord& RecordOf(const std::string& kind, const std::string& key);  // m_cs held
  void Save(const RunRecord& record);                                    // m_cs held
  // Reports the first failure of a run of failures of one kind of file.    m_cs held
  bool Written(bool bOk, const std::string& error, bool* pbFailing);

  std::string m_strProgramDir;
  IFileSystem& m_files;
  IHealthEvents& m_events;
  std::vector<HealthTask> m_tasks;
  StoredRecords m_records;
  ServiceHealthFacts m_service;
  bool m_bRecordsFailing = false;
  bool m_bExpositionFailing = false;
  std::mutex m_cs;
  CLastBackupCache m_log;  // the health thread's alone
};

}  // namespace dorvik
