#pragma once
// How runs started from the console report: every result is posted to the main window, which
// shows the messages and updates its list and buttons on the interface thread.
#include <atomic>
#include <string>

#include "common/win32.h"
#include "config/config_reactions.h"
#include "config/config_store.h"
#include "jobs/file_backup_job.h"
#include "jobs/sql_backup_job.h"

namespace dorvik {

class CFileJobPoster : public IFileJobReporter {
 public:
  CFileJobPoster(HWND window, const std::string& id, CConfigStore& store,
                 IConfigReactions& reactions)
      : m_hWnd(window), m_strID(id), m_store(store), m_reactions(reactions) {}
  void UpdateTaskStatus(const std::string& strRecord) override;
  void ReportSuccess(const std::string& message) override;
  void ReportFailure(const std::string& message) override;
  void RunEnded() override;

 private:
  HWND m_hWnd;
  std::string m_strID;
  CConfigStore& m_store;
  IConfigReactions& m_reactions;
};

class CSqlJobPoster : public ISqlJobReporter {
 public:
  CSqlJobPoster(HWND window, const std::string& taskName, CConfigStore& store,
                IConfigReactions& reactions, std::atomic<bool>& bSqlBackupIdle)
      : m_hWnd(window),
        m_strTaskName(taskName),
        m_store(store),
        m_reactions(reactions),
        m_bSqlBackupIdle(bSqlBackupIdle) {}
  void ShowProgress(const std::string& database) override;
  void ShowMessage(const std::string& text) override;
  std::string WriteStatus(const std::string& strRecord) override;
  void ShowLastBackupTime(const std::string& timeText) override;
  void RunEnded() override;

 private:
  HWND m_hWnd;
  std::string m_strTaskName;
  CConfigStore& m_store;
  IConfigReactions& m_reactions;
  std::atomic<bool>& m_bSqlBackupIdle;
};

}  // namespace dorvik
