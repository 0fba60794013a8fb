#pragma once
// One page of the main window: a task list with its five buttons and its row menu. The base
// routes the list's clicks and the row menu to the buttons' handlers, so every way into a
// command (button, menu, double click) runs the same code; the file and SQL Server pages supply
// the commands.
#include <string>
#include <vector>

#include "common/win32.h"
#include "config/config_store.h"
#include "config/ensure_document.h"
#include "console/core/list_sort.h"
#include "console/core/task_commands.h"
#include "console/core/task_list_rows.h"
#include "console/core/worker_threads.h"
#include "console/dialogs/message_box_reactions.h"
#include "console/dialogs/report_list_view.h"
#include "jobs/backup_log.h"
#include "jobs/sql_access.h"

namespace dorvik {

enum class ConsolePage { File, Sql };

// What the pages share with the main window. Everything outlives the pages, the workers
// included: the window joins them before its other members go.
struct TaskPageContext {
  HINSTANCE hInstance;
  const std::string& strProgramDir;
  CConfigStore& store;
  IBackupLog& log;
  ConfigStartup& startup;
  CMessageBoxReactions& threadReactions;  // workers' boxes, owned by no window
  CWorkerThreads& workers;
  CListSortState& sort;  // one column and one direction for both lists
};

// What a page asks of the main window.
class ITaskPageHost {
 public:
  virtual void ShowPage(ConsolePage page) = 0;
  // The service reads its tasks only at its start.
  virtual void RestartServiceQuietly() = 0;

 protected:
  ~ITaskPageHost() = default;
};

struct TaskPageControls {
  int list, newButton, modifyButton, deleteButton, backupButton, historyButton;
  int rowMenu, emptyMenu;
};

class CTaskPage {
 public:
  CTaskPage(TaskKind kind, const TaskPageControls& controls, TaskPageContext& context,
            ITaskPageHost& host);
  virtual ~CTaskPage() = default;
  CTaskPage(const CTaskPage&) = delete;
  CTaskPage& operator=(const CTaskPage&) = delete;

  virtual void Attach(HWND window);
  void Show(bool bShow);
  // The list afresh from config.db and the log.
  virtual void Fill() = 0;
  // A button of this page; false for any other control.
  bool OnCommand(int id);
  // A notification of this page's list; false for any other. `*result` is its answer.
  bool OnNotify(const NMHDR* header, LRESULT* result);
  // The page's messages from its worker threads; false for any other.
  virtual bool OnWorkerMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Stores the check boxes as the user left them.
  void SaveChecks();

 protected:
  virtual void OnNew() = 0;
  virtual void EditRow(int row) = 0;
  virtual void OnDelete() = 0;
  virtual void OnBackupNow() = 0;
  virtual void OpenHistory() = 0;
  virtual void OpenFolder(bool bSource) = 0;
  virtual TaskChange StoreChecks(const std::vector<TaskCheck>& checks, std::vector<std::string>* missingIds) = 0;

  // The history browser of this page's kind; only when the list has a row.
  void ShowHistory(ISqlConnection* connection, const std::vector<std::string>& databaseNames);
  // A worker's posted CRowTime: the last backup time of the rows of its task.
  void ShowLastBackup(LPARAM posted);
  // "立即备份" usable again once a run has ended.
  void RestoreBackupButton();
  // The quiet service restart, when the edit's end calls for it.
  void AfterEdit(TaskEdit edit, TaskEditEnd end);
  void ShowTaskChangeProblem(TaskChange change);
  // An editor's values that the store can take; otherwise false after `unsafe`, the reason.
  bool Storable(const std::string& unsafe);
  // The records of this page's section of config.db; none when it cannot be read.
  std::vector<std::string> DocumentRecords();
  // The rows with the failed and missed tasks' reasons.
  std::vector<ListRow> WithTaskWarnings(std::vector<ListRow> rows);
  int Ask(const std::string& question, UINT flags = 0);
  void ShowText(const std::string& text, UINT flags = 0);
  HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
  void SetItemText(int id, const std::string& text);

  HWND m_hWnd = nullptr;
  const TaskKind m_kind;
  const TaskPageControls m_controls;
  TaskPageContext& m_context;
  ITaskPageHost& m_host;
  CReportListView m_list;

 private:
  void OnListNotify(const NMHDR& header);
  void OnContextMenu(int row, POINT clickInList);
  void OnMenuCommand(int id);
  // The column holding the key the log and the health records know a task by.
  int KeyColumn() const { return m_kind == TaskKind::File ? kIdColumn : kSqlNameColumn; }
};

}  // namespace dorvik
