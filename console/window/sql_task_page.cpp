#include "console/window/sql_task_page.h"

#include <thread>

#include "common/clock.h"
#include "common/file_system.h"
#include "config/document.h"
#include "config/sql_task_record.h"
#include "console/core/last_backup_times.h"
#include "console/core/sql_backup_start.h"
#include "console/dialogs/shell_open.h"
#include "console/dialogs/ui_messages.h"
#include "console/editors/editor_values_check.h"
#include "console/editors/sql_task_dlg.h"
#include "console/resource.h"
#include "console/window/job_reporters.h"
#include "jobs/process.h"
#include "jobs/sql_statements.h"

namespace dorvik {

namespace {
const TaskPageControls kSqlPageControls = {
    IDC_SQL_LIST,       IDC_SQL_NEW,     IDC_SQL_MODIFY,    IDC_SQL_DELETE,
    IDC_SQL_BACKUP_NOW, IDC_SQL_HISTORY, IDR_MENU_SQL_ROW,  IDR_MENU_SQL_EMPTY,
};
constexpr const char* kConnectFailedCaption = "连接SQL Server";
constexpr const char* kConnectingCaption = "正在连接...";
}  // namespace

CSqlTaskPage::CSqlTaskPage(TaskPageContext& context, ITaskPageHost& host)
    : CTaskPage(TaskKind::Sql, kSqlPageControls, context, host) {}

void CSqlTaskPage::Attach(HWND window) {
  CTaskPage::Attach(window);
  EnableWindow(Item(IDC_PAGE_SQL), FALSE);
  SetItemText(IDC_PAGE_SQL, "连接数据库...");
}

bool CSqlTaskPage::OnWorkerMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgSqlConnecting:
      if (wParam > m_nAppliedAttempt) ShowConnecting();
      return true;
    case kMsgSqlConnected:
      ApplyConnectResult(static_cast<unsigned>(wParam), TakePosted<ISqlConnection>(lParam));
      return true;
    case kMsgSqlProgress:
      SetItemText(IDC_SQL_BACKUP_NOW, *TakePosted<std::string>(lParam));
      return true;
    case kMsgSqlLastBackup:
      ShowLastBackup(lParam);
      return true;
    case kMsgSqlRunEnded:
      RestoreBackupButton();
      return true;
    default:
      return false;
  }
}

void CSqlTaskPage::ShowConnecting() {
  SetItemText(IDC_PAGE_SQL, kConnectingCaption);
  EnableWindow(Item(IDC_PAGE_SQL), FALSE);
}

void CSqlTaskPage::ForgetPageRequest() { m_bOpenWhenConnected = false; }

// The thread touches nothing of the window's: it opens a connection and posts it, and the
// page adopts it on the interface thread (ApplyConnectResult).
void CSqlTaskPage::StartConnecting() {
  m_connectionState = ConnectionState::Connecting;
  const unsigned attempt = ++m_nAttempt;
  HWND window = m_hWnd;
  std::thread([window, attempt] {
    PostMessageA(window, kMsgSqlConnecting, attempt, 0);
    std::string error;
    std::unique_ptr<ISqlConnection> connection = OpenSqlConnection(&error);
    // A window already gone takes nothing: the connection closes here.
    if (PostMessageA(window, kMsgSqlConnected, attempt, reinterpret_cast<LPARAM>(connection.get()))) {
      connection.release();
    }
  }).detach();
}

// The captions of an ended attempt; a late notice of an attempt already shown is ignored (its
// connection closes).
void CSqlTaskPage::ApplyConnectResult(unsigned attempt, std::unique_ptr<ISqlConnection> connection) {
  if (attempt <= m_nAppliedAttempt) return;
  m_nAppliedAttempt = attempt;
  m_connectionState = connection ? ConnectionState::Connected : ConnectionState::Failed;
  m_connection.Adopt(std::move(connection));
  const bool bOpen = m_bOpenWhenConnected;
  m_bOpenWhenConnected = false;
  EnableWindow(Item(IDC_PAGE_SQL), TRUE);
  if (m_connectionState == ConnectionState::Connected) {
    SetItemText(IDC_PAGE_SQL, "SQL Server备份");
    if (bOpen) Open();
  } else {
    SetItemText(IDC_PAGE_SQL, kConnectFailedCaption);
    m_host.ShowPage(ConsolePage::File);
  }
}

// The interface thread never waits for a connection attempt: asked for while one runs, the page
// opens when it has connected.
void CSqlTaskPage::OnPageButton() {
  switch (m_connectionState) {
    case ConnectionState::Failed:
      // Busy before the thread starts: a press queued behind this one finds the attempt running.
      ShowConnecting();
      StartConnecting();
      m_bOpenWhenConnected = true;
      break;
    case ConnectionState::Connecting:
      m_bOpenWhenConnected = true;
      break;
    case ConnectionState::Connected:
      Open();
      break;
  }
}

void CSqlTaskPage::Open() {
  RefreshDatabaseNames();
  m_host.ShowPage(ConsolePage::Sql);
  Fill();
}

void CSqlTaskPage::RefreshDatabaseNames() {
  std::vector<std::string> names;
  std::string error;
  bool bBusy = false;
  const bool ok = m_connection.TryQueryNames(kDatabaseListQuery, &names, &error, &bBusy);
  // A backup holds the connection: the names read before stay (they rarely change).
  if (bBusy) return;
  m_databaseNames = UserDatabaseNames(names);
  if (!ok && error != kSqlNotConnected) ShowText(error);
}

void CSqlTaskPage::Fill() {
  m_list.SetRows(WithTaskWarnings(SqlTaskRows(DocumentRecords(), LoadLastBackupTimes(m_context.strProgramDir))));
}

bool CSqlTaskPage::RunCheckedEditor(const SqlTaskEditorContext& context, SqlTaskEditorValues* values) {
  return RunSqlTaskEditor(m_hWnd, context, values) && Storable(UnsafeSqlTaskValues(*values));
}

void CSqlTaskPage::OnNew() {
  SqlTaskEditorContext context;
  context.strNewId = std::to_string(NextSqlTaskId(DocumentRecords()));
  context.strDefStorePath = m_context.startup.strDefStorePath;
  context.knownDatabases = m_databaseNames;
  context.refusedNames = m_list.ColumnTexts(kSqlNameColumn);
  SqlTaskEditorValues values;
  if (!RunCheckedEditor(context, &values)) return;
  const int known = static_cast<int>(m_databaseNames.size());
  const bool bAdded = AddSqlTask(m_context.store, BuildSqlTaskRecord(values, known));
  if (!bAdded) ShowText(kConfigWriteFailed);
  Fill();
  AfterEdit(TaskEdit::Add, bAdded ? TaskEditEnd::Done : TaskEditEnd::Failed);
}

void CSqlTaskPage::EditRow(int row) {
  const std::string id = m_list.Text(row, kIdColumn);
  SqlTaskEditorContext context;
  context.bChange = true;
  if (!FindSqlTaskRecord(DocumentRecords(), id, &context.strRecordText)) {
    ShowText(kTaskNotInDocument);
    return;
  }
  context.strDefStorePath = m_context.startup.strDefStorePath;
  context.knownDatabases = m_databaseNames;
  context.refusedNames = OtherTaskNames(m_list.ColumnTexts(kSqlNameColumn), row);
  SqlTaskEditorValues values;
  if (!RunCheckedEditor(context, &values)) return;
  const int known = static_cast<int>(m_databaseNames.size());
  const TaskChange change = ChangeSqlTask(m_context.store, id, BuildSqlTaskRecord(values, known));
  ShowTaskChangeProblem(change);
  Fill();
  AfterEdit(TaskEdit::Change, EditEndOf(change));
}

void CSqlTaskPage::OnDelete() {
  if (m_list.RowCount() == 0) return;
  const int row = m_list.ChosenRow();
  if (row < 0) {
    ShowText(kNoTaskSelected);
    return;
  }
  TaskEditEnd end = TaskEditEnd::Declined;
  if (Ask(SqlDeleteQuestion(m_list.Text(row, kSqlNameColumn))) == IDYES) {
    const TaskChange change = DeleteSqlTask(m_context.store, m_list.Text(row, kIdColumn));
    if (change == TaskChange::Failed) {
      ShowText(kConfigWriteFailed);
    } else {
      m_list.DeleteRow(row);
    }
    end = EditEndOf(change);
  }
  AfterEdit(TaskEdit::Delete, end);
}

void CSqlTaskPage::OnBackupNow() {
  const int row = m_list.ChosenRow();
  const std::string name = m_list.Text(row, kSqlNameColumn);
  const std::string id = m_list.Text(row, kIdColumn);
  const SqlBackupStart start = PrepareSqlBackup(
      row, m_bBackupIdle, name,
      {[this](const std::string& question) { return Ask(question) == IDYES; },
       [this, &id](std::string* record) { return FindSqlTaskRecord(DocumentRecords(), id, record); },
       PathExistsOnDisk});
  if (!start.bStart) {
    if (!start.strRefusal.empty()) ShowText(start.strRefusal);
    return;
  }
  m_bBackupIdle = false;
  EnableWindow(Item(IDC_SQL_BACKUP_NOW), FALSE);
  SetItemText(IDC_SQL_BACKUP_NOW, "备份中...");
  m_context.workers.Start([this, record = start.strRecord, name, databases = m_databaseNames] {
    CSqlJobPoster reporter(m_hWnd, name, m_context.store, m_context.threadReactions, m_bBackupIdle);
    SqlJobEnvironment env{m_context.startup.strRarDir, &m_connection, databases, RealProcessRunner(),
                          m_context.log, RealFileSystem(), SystemClock(), reporter};
    if (GetTag(record, "iscut") == "是") {
      DoSqlBackup(record, env);
    } else {
      DoSqlBackupNocut(record, env);
    }
  });
}

void CSqlTaskPage::OpenHistory() { ShowHistory(&m_connection, m_databaseNames); }

// A SQL Server task has only its storage folder to open.
void CSqlTaskPage::OpenFolder(bool bSource) {
  const int mark = m_list.SelectionMark();
  if (bSource || mark < 0) return;
  OpenWithShell(m_hWnd, nullptr, m_list.Text(mark, 2), SW_SHOWNORMAL);
}

TaskChange CSqlTaskPage::StoreChecks(const std::vector<TaskCheck>& checks, std::vector<std::string>* missingIds) {
  return SetSqlTaskChecks(m_context.store, checks, missingIds);
}

}  // namespace dorvik
