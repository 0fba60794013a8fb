#pragma once
// The console's main window: two task pages, the page bar, the service restart and the exit.
// Each handler turns a control event into calls of the portable operations and shows the result.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "common/win32.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "config/ensure_document.h"
#include "config/file_task_record.h"
#include "config/sql_task_record.h"
#include "console/dialog.h"
#include "console/sql_task_dlg.h"
#include "console/list_sort.h"
#include "console/message_box_reactions.h"
#include "console/task_list_view.h"
#include "console/task_run_guard.h"
#include "console/web_notices.h"
#include "console/worker_threads.h"
#include "jobs/backup_log.h"
#include "jobs/sql_access.h"

namespace dorvik {

enum class ConsolePage { File, Sql };

class CMainDlg : public CDialog {
 public:
  CMainDlg(HINSTANCE instance, const std::string& programDir);
  // Checks config.db, then runs the window modally until it closes.
  void Run();

 private:
  void OnInitDialog() override;
  BOOL OnCommand(int id, int code) override;
  BOOL OnNotify(const NMHDR* header) override;
  void OnTimer(UINT_PTR id) override;
  void OnDestroy() override;
  bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;
  bool HandleWorkerMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnControl(int id);
  void OnListNotify(const NMHDR& header);
  void OnContextMenu(bool bFileList, int row, POINT clickInList);
  void OnMenuCommand(bool bFileList, int id);
  void OnExit();
  void ShowAbout();

  // Pages and the page bar.
  void ShowPage(ConsolePage page);
  void OnFilePage();
  void OnSqlPage();
  void StartSqlConnectAttempt();
  void ApplySqlConnectResult(unsigned attempt, std::unique_ptr<ISqlConnection> connection);
  void OpenSqlPage();
  void RefreshSqlDatabaseNames();

  // The file page.
  void FillFileList();
  // The editor, then the check that its values can be stored; false when nothing is to be saved.
  bool RunCheckedFileEditor(const std::string& record, FileTaskEditorValues* values);
  void OnFileNew();
  void EditFileRow(int row);
  void OnFileDelete();
  // The chosen row's record (current file record); false after its message.
  bool ChooseFileRecord(std::string* record);
  void OnFileBackupNow();
  void RunFileBackup(const std::string& record);
  void OpenFileFolder(bool bSource);

  // The SQL Server page.
  void FillSqlList();
  bool RunCheckedSqlEditor(const SqlTaskEditorContext& context, SqlTaskEditorValues* values);
  void OnSqlNew();
  void EditSqlRow(int row);
  void OnSqlDelete();
  void OnSqlBackupNow();
  void OpenSqlFolder();

  // The history browser of a page; only when the page's list has a row.
  void OpenHistory(bool bSqlPage);

  void SaveChecks(bool bFileList);
  void StartBackgroundRestart(bool bAnnounce);

  std::vector<std::string> DocumentRecords(const char* section);
  // The failed and missed tasks of a kind ("file", "sql") with their reasons, for the lists.
  TaskWarnings WarningsOf(const std::string& kind);
  void ShowTaskChangeProblem(TaskChange change);
  int Ask(const std::string& question, UINT flags = 0);
  void ShowText(const std::string& text, UINT flags = 0);

  HINSTANCE m_hInstance;
  HICON m_hBigIcon = nullptr;
  HICON m_hSmallIcon = nullptr;
  HFONT m_hBannerFont = nullptr;
  HBRUSH m_hBannerBrush = nullptr;
  const std::string m_strProgramDir;
  std::unique_ptr<IConfigFile> m_pConfigFile;
  CMessageBoxReactions m_reactions;        // the interface thread's message boxes
  CMessageBoxReactions m_threadReactions;  // workers' boxes, owned by no window
  CConfigStore m_store;
  std::unique_ptr<IBackupLog> m_pLog;
  ConfigStartup m_startup;
  EnsureResult m_ensureResult = EnsureResult::NotLoaded;
  CTaskListView m_fileList;
  CTaskListView m_sqlList;
  CListSortState m_sort;

  // The SQL Server connection: adopted from the connection thread's message, used by the
  // backup worker, the database list and the restore under its own lock.
  CSharedSqlConnection m_sqlConnection;
  // Interface thread only: -1 pending, 0 failed, 1 connected.
  int m_nSqlConnectionState = -1;
  unsigned m_nSqlAttempt = 0;
  unsigned m_nAppliedSqlAttempt = 0;
  bool m_bOpenSqlPageWhenConnected = false;  // the page was asked for while connecting
  std::atomic<bool> m_bSqlBackupIdle{true};
  std::string m_strRunningSqlTaskName;
  std::vector<std::string> m_sqlDatabaseNames;
  int m_nEditedSqlRow = -1;
  int m_nRestartsRunning = 0;

  CWebNotices m_webNotices;  // the update notice and the bottom line

  CTaskRunGuard m_fileRuns;  // file tasks with a run going, by m_strID
  // Last, so it goes first: the backup runs use the members above until they end.
  CWorkerThreads m_workers;
};

}  // namespace dorvik
