// The SQL Server page of the main window: the connection, its list, the editor, deletion and the
// immediate backup.
#include "console/main_dlg.h"

#include <thread>

#include "common/clock.h"
#include "common/file_system.h"
#include "config/document.h"
#include "config/sql_task_record.h"
#include "console/editor_values_check.h"
#include "console/job_reporters.h"
#include "console/last_backup_times.h"
#include "console/resource.h"
#include "console/shell_open.h"
#include "console/sql_task_dlg.h"
#include "console/task_commands.h"
#include "console/ui_messages.h"
#include "jobs/process.h"
#include "jobs/sql_statements.h"

namespace dorvik {

namespace {
constexpr const char* kConnectFailedCaption = "连接SQL Server";
}  // namespace

// The thread touches nothing of the window's: it opens a connection and posts it, and the
// window adopts it on its own thread (ApplySqlConnectResult).
void CMainDlg::StartSqlConnectAttempt() {
  if (m_nSqlConnectionState == 0) return;
  const unsigned attempt = ++m_nSqlAttempt;
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
void CMainDlg::ApplySqlConnectResult(unsigned attempt, std::unique_ptr<ISqlConnection> connection) {
  if (attempt <= m_nAppliedSqlAttempt) return;
  m_nAppliedSqlAttempt = attempt;
  m_nSqlConnectionState = connection ? 1 : 0;
  m_sqlConnection.Adopt(std::move(connection));
  const bool bOpenPage = m_bOpenSqlPageWhenConnected;
  m_bOpenSqlPageWhenConnected = false;
  EnableWindow(Item(IDC_PAGE_SQL), TRUE);
  if (m_nSqlConnectionState == 1) {
    SetItemText(IDC_PAGE_SQL, "SQL Server备份");
    if (bOpenPage) OpenSqlPage();
  } else {
    SetItemText(IDC_PAGE_SQL, kConnectFailedCaption);
    ShowPage(ConsolePage::File);
  }
}

// The interface thread never waits for a connection attempt: asked for while one runs, the page
// opens when it has connected.
void CMainDlg::OnSqlPage() {
  if (ItemText(IDC_PAGE_SQL) == kConnectFailedCaption) {
    m_nSqlConnectionState = -1;
    StartSqlConnectAttempt();
  }
  if (m_nSqlConnectionState == -1) {
    m_bOpenSqlPageWhenConnected = true;
    return;
  }
  if (m_nSqlConnectionState == 1) OpenSqlPage();
}

void CMainDlg::OpenSqlPage() {
  RefreshSqlDatabaseNames();
  ShowPage(ConsolePage::Sql);
  FillSqlList();
}

void CMainDlg::RefreshSqlDatabaseNames() {
  std::vector<std::string> names;
  std::string error;
  bool bBusy = false;
  const bool ok = m_sqlConnection.TryQueryNames(kDatabaseListQuery, &names, &error, &bBusy);
  // A backup holds the connection: the names read before stay (they rarely change).
  if (bBusy) return;
  m_sqlDatabaseNames = UserDatabaseNames(names);
  if (!ok && error != kSqlNotConnected) ShowText(error);
}

void CMainDlg::FillSqlList() {
  m_sqlList.Fill(WithWarnings(SqlTaskRows(DocumentRecords("SqlBackups"), LoadLastBackupTimes(m_strProgramDir)),
                              kSqlNameColumn, WarningsOf("sql")));
}

bool CMainDlg::RunCheckedSqlEditor(const SqlTaskEditorContext& context,
                                   SqlTaskEditorValues* values) {
  if (!RunSqlTaskEditor(m_hWnd, context, values)) return false;
  const std::string unsafe = UnsafeSqlTaskValues(*values);
  if (unsafe.empty()) return true;
  ShowText(unsafe);
  return false;
}

void CMainDlg::OnSqlNew() {
  SqlTaskEditorContext context;
  context.strNewId = std::to_string(NextSqlTaskId(DocumentRecords("SqlBackups")));
  context.strDefStorePath = m_startup.strDefStorePath;
  context.knownDatabases = m_sqlDatabaseNames;
  context.refusedNames = m_sqlList.ColumnTexts(1);
  SqlTaskEditorValues values;
  if (!RunCheckedSqlEditor(context, &values)) return;
  const int known = static_cast<int>(m_sqlDatabaseNames.size());
  const bool bAdded = AddSqlTask(m_store, BuildSqlTaskRecord(values, known));
  if (!bAdded) ShowText(kConfigWriteFailed);
  FillSqlList();
  if (bAdded) StartBackgroundRestart(false);
}

void CMainDlg::EditSqlRow(int row) {
  m_nEditedSqlRow = row;
  const std::string id = m_sqlList.Text(row, kIdColumn);
  SqlTaskEditorContext context;
  context.bChange = true;
  if (!FindSqlTaskRecord(DocumentRecords("SqlBackups"), id, &context.strRecordText)) {
    ShowText(kTaskNotInDocument);
    return;
  }
  context.strDefStorePath = m_startup.strDefStorePath;
  context.knownDatabases = m_sqlDatabaseNames;
  context.refusedNames = OtherTaskNames(m_sqlList.ColumnTexts(1), row);
  SqlTaskEditorValues values;
  if (!RunCheckedSqlEditor(context, &values)) return;
  const int known = static_cast<int>(m_sqlDatabaseNames.size());
  const TaskChange change = ChangeSqlTask(m_store, id, BuildSqlTaskRecord(values, known));
  ShowTaskChangeProblem(change);
  FillSqlList();
  if (change == TaskChange::Done) StartBackgroundRestart(false);
}

void CMainDlg::OnSqlDelete() {
  if (m_sqlList.RowCount() == 0) return;
  const int row = m_sqlList.ChosenRow();
  if (row < 0) {
    ShowText(kNoTaskSelected);
    return;
  }
  if (Ask(SqlDeleteQuestion(m_sqlList.Text(row, 1))) != IDYES) return;
  const TaskChange change = DeleteSqlTask(m_store, m_sqlList.Text(row, kIdColumn));
  if (change == TaskChange::Failed) {
    ShowText(kConfigWriteFailed);
    return;
  }
  m_sqlList.DeleteRow(row);
  StartBackgroundRestart(false);
}

void CMainDlg::OnSqlBackupNow() {
  const int row = m_sqlList.ChosenRow();
  const std::string refusal = SqlBackupRefusal(row, m_bSqlBackupIdle);
  if (!refusal.empty()) {
    ShowText(refusal);
    return;
  }
  const std::string name = m_sqlList.Text(row, 1);
  if (Ask(SqlBackupQuestion(name)) != IDYES) return;
  m_strRunningSqlTaskName = name;
  std::string record;
  if (!FindSqlTaskRecord(DocumentRecords("SqlBackups"), m_sqlList.Text(row, kIdColumn), &record)) {
    ShowText(kTaskNotInDocument);
    return;
  }
  if (!RealFileSystem().Exists(GetTag(record, "despath"))) {
    ShowText("目标文件路径不存在！");
    return;
  }
  m_bSqlBackupIdle = false;
  EnableWindow(Item(IDC_SQL_BACKUP_NOW), FALSE);
  SetItemText(IDC_SQL_BACKUP_NOW, "备份中...");
  m_workers.Start([this, record, name, databases = m_sqlDatabaseNames] {
    CSqlJobPoster reporter(m_hWnd, name, m_store, m_threadReactions, m_bSqlBackupIdle);
    SqlJobEnvironment env{
        m_startup.strRarDir, &m_sqlConnection, databases, RealProcessRunner(), *m_pLog,
        RealFileSystem(),    SystemClock(),    reporter};
    if (GetTag(record, "iscut") == "是") {
      DoSqlBackup(record, env);
    } else {
      DoSqlBackupNocut(record, env);
    }
  });
}

void CMainDlg::OpenSqlFolder() {
  const int mark = m_sqlList.SelectionMark();
  if (mark < 0) return;
  const std::string folder = m_sqlList.Text(mark, 2);
  OpenWithShell(m_hWnd, nullptr, folder, SW_SHOWNORMAL);
}

}  // namespace dorvik
