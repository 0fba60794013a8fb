#pragma once
// The SQL Server page of the main window: the connection and the page button's captions, its
// list, the editor, deletion, the immediate backup (one at a time) and the storage folder.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "console/editors/sql_task_editor.h"
#include "console/window/task_page.h"
#include "jobs/sql_access.h"

namespace dorvik {

class CSqlTaskPage : public CTaskPage {
 public:
  CSqlTaskPage(TaskPageContext& context, ITaskPageHost& host);

  void Attach(HWND window) override;
  void Fill() override;
  bool OnWorkerMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // A connection attempt on a thread of its own; the page adopts its result by message.
  void StartConnecting();
  // The page button: opens the page when connected, or as soon as it is; after a failed
  // attempt it tries again.
  void OnPageButton();
  // Another page was chosen while connecting: the SQL Server page no longer opens by itself.
  void ForgetPageRequest();

 private:
  void OnNew() override;
  void EditRow(int row) override;
  void OnDelete() override;
  void OnBackupNow() override;
  void OpenHistory() override;
  void OpenFolder(bool bSource) override;
  TaskChange StoreChecks(const std::vector<TaskCheck>& checks, std::vector<std::string>* missingIds) override;

  void ShowConnecting();
  void ApplyConnectResult(unsigned attempt, std::unique_ptr<ISqlConnection> connection);
  void Open();
  void RefreshDatabaseNames();
  bool RunCheckedEditor(const SqlTaskEditorContext& context, SqlTaskEditorValues* values);

  // Adopted from the connection thread's message; the backup worker, the database list and the
  // restore use it under its own lock.
  CSharedSqlConnection m_connection;
  enum class ConnectionState { Connecting, Failed, Connected };
  ConnectionState m_connectionState = ConnectionState::Connecting;  // interface thread only
  unsigned m_nAttempt = 0;
  unsigned m_nAppliedAttempt = 0;
  bool m_bOpenWhenConnected = false;  // the page was asked for while connecting
  std::atomic<bool> m_bBackupIdle{true};
  std::vector<std::string> m_databaseNames;
};

}  // namespace dorvik
