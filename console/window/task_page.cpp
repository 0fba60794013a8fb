#include "console/window/task_page.h"

#include "common/gbk.h"
#include "config/document.h"
#include "console/core/service_control.h"
#include "console/core/service_manager.h"
#include "console/core/task_warnings.h"
#include "console/dialogs/message_box.h"
#include "console/dialogs/ui_messages.h"
#include "console/history/history_dlg.h"
#include "console/resource.h"

namespace dorvik {

CTaskPage::CTaskPage(TaskKind kind, const TaskPageControls& controls, TaskPageContext& context,
                     ITaskPageHost& host)
    : m_kind(kind), m_controls(controls), m_context(context), m_host(host) {}

void CTaskPage::Attach(HWND window) {
  m_hWnd = window;
  const ListColumn* columns = m_kind == TaskKind::File ? kFileListColumns : kSqlListColumns;
  m_list.Attach(Item(m_controls.list), columns, kListColumnCount, true);
}

void CTaskPage::Show(bool bShow) {
  const int ids[] = {m_controls.list,         m_controls.newButton,    m_controls.modifyButton,
                     m_controls.deleteButton, m_controls.backupButton, m_controls.historyButton};
  for (int id : ids) ShowWindow(Item(id), bShow ? SW_SHOW : SW_HIDE);
}

bool CTaskPage::OnCommand(int id) {
  if (id == m_controls.newButton) {
    OnNew();
  } else if (id == m_controls.modifyButton) {
    if (const int row = m_list.ChosenRow(); row >= 0)
      EditRow(row);
    else
      ShowText(kNoTaskChosen);
  } else if (id == m_controls.deleteButton) {
    OnDelete();
  } else if (id == m_controls.backupButton) {
    OnBackupNow();
  } else if (id == m_controls.historyButton) {
    if (m_list.RowCount() > 0) OpenHistory();
  } else {
    return false;
  }
  return true;
}

bool CTaskPage::OnNotify(const NMHDR* header, LRESULT* result) {
  if (header->idFrom != static_cast<UINT_PTR>(m_controls.list)) return false;
  if (!m_list.OnNotify(header, result)) {
    *result = 0;
    OnListNotify(*header);
  }
  return true;
}

void CTaskPage::OnListNotify(const NMHDR& header) {
  switch (header.code) {
    case NM_RCLICK: {
      const NMITEMACTIVATE& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
      OnContextMenu(click.iItem, click.ptAction);
      break;
    }
    case NM_DBLCLK: {
      const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
      if (row >= 0)
        EditRow(row);
      else
        OnNew();
      break;
    }
    case LVN_COLUMNCLICK:
      m_context.sort.Click(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      m_list.Sort(m_context.sort);
      break;
    case NM_KILLFOCUS:
      SaveChecks();
      break;
    default:
      break;
  }
}

void CTaskPage::OnContextMenu(int row, POINT clickInList) {
  POINT at = clickInList;
  if (row < 0) {
    GetCursorPos(&at);
  } else {
    ClientToScreen(m_list.Handle(), &at);
  }
  HMENU menu = LoadMenuA(m_context.hInstance,
                         MAKEINTRESOURCEA(row < 0 ? m_controls.emptyMenu : m_controls.rowMenu));
  if (!menu) return;
  // A task that failed or missed its run says why at the top of its row menu: an item that
  // cannot be chosen (disabled, not greyed, so it stays legible) and a separator.
  if (row >= 0 && !m_list.Warning(row).empty()) {
    InsertMenuA(GetSubMenu(menu, 0), 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    InsertMenuA(GetSubMenu(menu, 0), 0, MF_BYPOSITION | MF_STRING | MF_DISABLED, 0,
                m_list.Warning(row).c_str());
  }
  const int command = TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x,
                                     at.y, 0, m_hWnd, nullptr);
  DestroyMenu(menu);
  if (command != 0) OnMenuCommand(command);
}

// The menu's commands are the buttons' (the button's checks and guards included), and the two
// folders.
void CTaskPage::OnMenuCommand(int id) {
  const struct {
    int menu, button;
  } kSameAsButton[] = {
      {ID_MENU_NEW_TASK, m_controls.newButton},    {ID_MENU_MODIFY, m_controls.modifyButton},
      {ID_MENU_DELETE, m_controls.deleteButton},   {ID_MENU_BACKUP, m_controls.backupButton},
      {ID_MENU_VIEW, m_controls.historyButton},
  };
  for (const auto& same : kSameAsButton) {
    if (same.menu == id) {
      OnCommand(same.button);
      return;
    }
  }
  if (id == ID_MENU_SOURCE) OpenFolder(true);
  if (id == ID_MENU_TARGET) OpenFolder(false);
}

void CTaskPage::SaveChecks() {
  std::vector<TaskCheck> checks;
  for (int row = 0; row < m_list.RowCount(); ++row)
    checks.push_back({m_list.Text(row, kIdColumn), m_list.IsChecked(row)});
  if (checks.empty()) return;
  std::vector<std::string> missingIds;
  const TaskChange result = StoreChecks(checks, &missingIds);
  for (std::size_t i = 0; i < missingIds.size(); ++i) ShowText("哈哈，初始化错误");
  if (result == TaskChange::Failed) ShowText(kConfigWriteFailed);
}

void CTaskPage::ShowHistory(ISqlConnection* connection, const std::vector<std::string>& databaseNames) {
  HistoryContext context;
  context.mode = m_kind == TaskKind::Sql ? HistoryMode::Sql : HistoryMode::File;
  context.strProgramDir = m_context.strProgramDir;
  // The archiver as the document names it now: the settings may have changed it since start.
  std::string document;
  context.strRarDir = m_context.store.LoadConfigDocument(&document)
                          ? DirectoryWithSlash(GetTag(document, "rarpath"))
                          : m_context.startup.strRarDir;
  context.pConnection = connection;
  context.databaseNames = databaseNames;
  CHistoryDlg(std::move(context)).Run(m_hWnd);
}

void CTaskPage::ShowLastBackup(LPARAM posted) {
  const std::unique_ptr<CRowTime> status = TakePosted<CRowTime>(posted);
  m_list.SetTextWhere(KeyColumn(), status->strKey, kLastBackupColumn, status->strTime);
}

void CTaskPage::RestoreBackupButton() {
  SetItemText(m_controls.backupButton, "立即备份");
  EnableWindow(Item(m_controls.backupButton), TRUE);
}

void CTaskPage::AfterEdit(TaskEdit edit, TaskEditEnd end) {
  if (RestartsServiceAfter(m_kind, edit, end)) m_host.RestartServiceQuietly();
}

void CTaskPage::ShowTaskChangeProblem(TaskChange change) {
  if (change == TaskChange::NotFound) ShowText(kTaskNotInDocument);
  if (change == TaskChange::Failed) ShowText(kConfigWriteFailed);
}

bool CTaskPage::Storable(const std::string& unsafe) {
  if (unsafe.empty()) return true;
  ShowText(unsafe);
  return false;
}

std::vector<std::string> CTaskPage::DocumentRecords() {
  std::string document;
  if (!m_context.store.LoadConfigDocument(&document)) return {};
  return SplitRecords(m_kind == TaskKind::File ? "FileBackups" : "SqlBackups", document);
}

std::vector<ListRow> CTaskPage::WithTaskWarnings(std::vector<ListRow> rows) {
  std::string document;
  if (!m_context.store.LoadConfigDocument(&document)) return rows;
  // The service's marks of runs still going count only while it runs.
  const bool bServiceRunning =
      RealServiceManager().QueryStopped(kStopSwitchServiceName) == ServiceQuery::NotStopped;
  const TaskWarnings warnings =
      WarningsOfKind(LoadTaskHealth(document, m_context.strProgramDir, bServiceRunning),
                     m_kind == TaskKind::File ? "file" : "sql");
  return WithWarnings(std::move(rows), KeyColumn(), warnings);
}

int CTaskPage::Ask(const std::string& question, UINT flags) {
  return ShowMessageBox(m_hWnd, question, MB_YESNO | flags);
}

void CTaskPage::ShowText(const std::string& text, UINT flags) {
  ShowMessageBox(m_hWnd, text, MB_OK | flags);
}

void CTaskPage::SetItemText(int id, const std::string& text) { SetWindowTextA(Item(id), text.c_str()); }

}  // namespace dorvik
