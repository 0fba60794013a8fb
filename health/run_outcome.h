#pragma once
// What a run the service started left behind, for its record: whether it failed and why, and
// how many bytes it made.
#include <cstdint>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "jobs/file_backup_job.h"

namespace dorvik {

// Stands between a file job and the service's reporter: passes everything on and keeps the
// failures and the outputs named in success messages.
class CRunOutcomeReporter : public IFileJobReporter {
 public:
  explicit CRunOutcomeReporter(IFileJobReporter& inner) : m_inner(inner) {}
  void UpdateTaskStatus(const std::string& strRecord) override { m_inner.UpdateTaskStatus(strRecord); }
  void ReportSuccess(const std::string& message) override;
  void ReportFailure(const std::string& message) override;
  void RunEnded() override { m_inner.RunEnded(); }

  // A run succeeded when it named an output and reported no failure.
  bool Succeeded() const { return m_strFailure.empty() && !m_outputs.empty(); }
  // The failures, one per line; a run that named nothing and reported nothing says so.
  std::string Failure() const;
  const std::vector<std::string>& Outputs() const { return m_outputs; }

 private:
  IFileJobReporter& m_inner;
  std::string m_strFailure;
  std::vector<std::string> m_outputs;
};

// The bytes of a file, or of everything below a folder (links are not followed); 0 when gone.
std::uint64_t OutputBytes(IFileSystem& files, const std::string& path);

// The outputs of a SQL Server task's run as Backup.exe logged them: the lines of the day's log
// for the key whose time is at or after the run's start ("%Y-%m-%d %H:%M:%S").
std::vector<std::string> LoggedSqlOutputs(const std::string& logContent, const std::string& key,
                                          const std::string& startText);

}  // namespace dorvik
