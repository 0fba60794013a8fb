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
constexpr unsigned kConnectPollMs = 10;
}  // namespace

// Marked busy here, before the thread runs, so a wait that follows covers the whole attempt.
void CMainDlg::StartSqlConnectAttempt() {
  if (m_nSqlConnectionState == 0) return;
  m_bSqlConnectBusy = true;
  const unsigned attempt = ++m_nSqlAttempt;
  std::thread([this, attempt] {
    PostMessageA(m_hWnd, kMsgSqlConnecting, attempt, 0);
    std::string error;
    m_pSqlConnection = OpenSqlConnection(&error);
    m_nSqlConnectionState = m_pSqlConnection ? 1 : 0;
    m_bSqlConnectBusy = false;
    PostMessageA(m_hWnd, kMsgSqlConnected, attempt, 0);
  }).detach();
}

// The captions of an ended attempt; a late notice of an attempt already shown is ignored.
void CMainDlg::ApplySqlConnectResult(unsigned attempt) {
  if (attempt <= m_nAppliedSqlAttempt) return;
  m_nAppliedSqlAttempt = attempt;
  EnableWindow(Item(IDC_PAGE_SQL), TRUE);
  if (m_nSqlConnectionState == 1) {
    SetItemText(IDC_PAGE_SQL, "SQL Server备份");
  } else {
    SetItemText(IDC_PAGE_SQL, kConnectFailedCaption);
    ShowPage(ConsolePage::File);
  }
}

void CMainDlg::OnSqlPage() {
  if (ItemText(IDC_PAGE_SQL) == kConnectFailedCaption) {
    m_bSqlConnectBusy = false;
    m_nSqlConnectionState = -1;
    StartSqlConnectAttempt();
  }
  // The window does not repaint meanwhile: a connection attempt is short.
  while (m_bSqlConnectBusy) Sleep(kConnectPollMs);
  ApplySqlConnectResult(m_nSqlAttempt);
  if (ItemText(IDC_PAGE_SQL) == kConnectFailedCaption) return;
  RefreshSqlDatabaseNames();
  ShowPage(ConsolePage::Sql);
  FillSqlList();
}

void CMainDlg::RefreshSqlDatabaseNames() {
  m_sqlDatabaseNames.clear();
  if (!m_pSqlConnection) return;
  std::vector<std::string> names;
  std::string error;
  const bool ok = m_pSqlConnection->QueryNames(kDatabaseListQuery, &names, &error);
  m_sqlDatabaseNames = UserDatabaseNames(names);
  if (!ok) ShowText(error);
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
  std::thread([this, record, name, databases = m_sqlDatabaseNames] {
    CSqlJobPoster reporter(m_hWnd, name, m_store, m_threadReactions, m_bSqlBackupIdle);
    SqlJobEnvironment env{
        m_startup.strRarDir, m_pSqlConnection.get(), databases, RealProcessRunner(), *m_pLog,
        RealFileSystem(),    SystemClock(),          reporter};
    if (GetTag(record, "iscut") == "是") {
      DoSqlBackup(record, env);
    } else {
      DoSqlBackupNocut(record, env);
    }
  }).detach();
}

void CMainDlg::OpenSqlFolder() {
  const int mark = m_sqlList.SelectionMark();
  if (mark < 0) return;
  const std::string folder = m_sqlList.Text(mark, 2);
  OpenWithShell(m_hWnd, nullptr, folder, SW_SHOWNORMAL);
}

}  // namespace dorvik
