#include "console/window/job_reporters.h"

#include "common/clock.h"
#include "console/dialogs/ui_messages.h"
#include "jobs/task_status.h"

namespace dorvik {

void CFileJobPoster::UpdateTaskStatus(const std::string& strRecord) {
  std::string timeText = dorvik::UpdateTaskStatus(m_store, m_reactions, SystemClock(), strRecord);
  if (!timeText.empty()) PostOwned(m_hWnd, kMsgFileStatus, 0, CRowTime{m_strID, timeText});
}

void CFileJobPoster::ReportSuccess(const std::string& message) {
  PostOwned(m_hWnd, kMsgShowText, 0, message);
}

void CFileJobPoster::ReportFailure(const std::string& message) {
  PostOwned(m_hWnd, kMsgShowText, 0, message);
}

void CFileJobPoster::RunEnded() { PostOwned(m_hWnd, kMsgFileRunEnded, 0, m_strID); }

void CSqlJobPoster::ShowProgress(const std::string& database) {
  PostOwned(m_hWnd, kMsgSqlProgress, 0, database + "...");
}

void CSqlJobPoster::ShowMessage(const std::string& text) {
  PostOwned(m_hWnd, kMsgShowText, 0, text);
}

std::string CSqlJobPoster::WriteStatus(const std::string& strRecord) {
  return UpdateTaskStatus(m_store, m_reactions, SystemClock(), strRecord);
}

void CSqlJobPoster::ShowLastBackupTime(const std::string& timeText) {
  PostOwned(m_hWnd, kMsgSqlLastBackup, 0, CRowTime{m_strTaskName, timeText});
}

void CSqlJobPoster::RunEnded() {
  PostMessageA(m_hWnd, kMsgSqlRunEnded, 0, 0);
  m_bSqlBackupIdle = true;
}

}  // namespace dorvik
