#include "console/history/history_dlg.h"

#include "common/file_system.h"
#include "common/gbk.h"
#include "console/dialogs/message_box.h"
#include "console/dialogs/shell_open.h"
#include "console/resource.h"
#include "jobs/backup_log.h"

namespace dorvik {

namespace {

const int kFileModeControls[] = {IDC_HISTORY_FOLDER_LABEL, IDC_HISTORY_FOLDER, IDC_HISTORY_MONTH_LABEL,
                                 IDC_HISTORY_MONTH, IDC_HISTORY_FILE_ALL};
const int kSqlModeControls[] = {IDC_HISTORY_DATABASE_LABEL, IDC_HISTORY_DATABASE, IDC_HISTORY_TASK_LABEL,
                                IDC_HISTORY_TASK, IDC_HISTORY_SQL_ALL, IDC_HISTORY_RESTORE};

const std::vector<ListColumn> kFileColumns = {{"ID", 25}, {"备份时间", 129}, {"源文件", 153}, {"备份文件", 309}};
const std::vector<ListColumn> kSqlColumns = {
    {"ID", 25}, {"数据库", 50}, {"项目名", 50}, {"最后备份时间", 129}, {"备份文件", 362}};

std::vector<ListRow> ListRows(std::vector<HistoryRow> rows) {
  std::vector<ListRow> listed(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) listed[i].texts = std::move(rows[i]);
  return listed;
}

}  // namespace

CHistoryDlg::~CHistoryDlg() {
  if (m_rewriter.joinable()) m_rewriter.join();
}

void CHistoryDlg::Run(HWND owner) { RunModal(owner, IDD_HISTORY); }

void CHistoryDlg::OnInitDialog() {
  SetUpControls();
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  HistoryLoad load = LoadHistory(RealFileSystem(), m_context.strProgramDir + "Log", m_context.mode);
  SetCursor(previous);
  if (!load.rewrites.empty()) {
    m_rewriter = std::thread([rewrites = std::move(load.rewrites)] { RewriteLogs(RealFileSystem(), BackupLogLock(), rewrites); });
  }
  m_saved = load.rows;
  SetItemText(IDC_HISTORY_COUNT, std::to_string(load.nCount));
  if (IsSqlMode()) {
    FillCombo(IDC_HISTORY_DATABASE, m_context.databaseNames);
    FillCombo(IDC_HISTORY_TASK, DistinctTexts(ColumnTexts(m_saved, 2)));
  } else {
    FillCombo(IDC_HISTORY_FOLDER, DistinctTexts(ColumnTexts(m_saved, 2)));
    std::vector<std::string> months;
    for (const HistoryRow& row : m_saved) months.push_back(MonthEntry(row[1]));
    FillCombo(IDC_HISTORY_MONTH, DistinctTexts(months));
  }
  m_list.SetRows(ListRows(std::move(load.rows)));
  // The list takes the focus once the dialog has given it to its first control.
  PostMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_HISTORY_LIST)), TRUE);
}

void CHistoryDlg::SetUpControls() {
  if (IsSqlMode()) {
    for (int id : kFileModeControls) ShowWindow(Item(id), SW_HIDE);
  } else {
    for (int id : kSqlModeControls) ShowWindow(Item(id), SW_HIDE);
  }
  const std::vector<ListColumn>& columns = IsSqlMode() ? kSqlColumns : kFileColumns;
  m_list.Attach(Item(IDC_HISTORY_LIST), columns.data(), static_cast<int>(columns.size()), false);
}

void CHistoryDlg::FillCombo(int id, const std::vector<std::string>& texts) {
  HWND combo = Item(id);
  for (const std::string& text : texts) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string CHistoryDlg::ComboChoice(int id) const {
  HWND combo = Item(id);
  const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return std::string();
  std::string text(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, index, 0)) + 1, '\0');
  const LRESULT length = SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(length == CB_ERR ? 0 : static_cast<std::size_t>(length));
  return text;
}

BOOL CHistoryDlg::OnCommand(int id, int code) {
  switch (id) {
    case IDCANCEL:  // Escape and the close box
    case IDC_HISTORY_EXIT:
      EndDialog(m_hWnd, IDCANCEL);
      return TRUE;
    case IDOK:  // Enter does nothing
      return TRUE;
    case IDC_HISTORY_FOLDER:
    case IDC_HISTORY_MONTH:
    case IDC_HISTORY_DATABASE:
    case IDC_HISTORY_TASK:
      if (code == CBN_SELCHANGE) OnFilter(id);
      return TRUE;
    case IDC_HISTORY_FILE_ALL:
      ShowRows(AllFileRows(m_saved), false);
      return TRUE;
    case IDC_HISTORY_SQL_ALL:
      ShowRows(FilterSqlRows(m_saved, 1, std::string()), true);
      return TRUE;
    case IDC_HISTORY_RESTORE:
      OnRestore();
      return TRUE;
  }
  return FALSE;
}

void CHistoryDlg::OnFilter(int id) {
  const std::string choice = ComboChoice(id);
  if (id == IDC_HISTORY_FOLDER) ShowRows(FilterFolderRows(m_saved, choice), false);
  if (id == IDC_HISTORY_MONTH) ShowRows(FilterMonthRows(m_saved, choice), false);
  if (id == IDC_HISTORY_DATABASE) ShowRows(FilterSqlRows(m_saved, 1, choice), true);
  if (id == IDC_HISTORY_TASK) ShowRows(FilterSqlRows(m_saved, 2, choice), true);
}

void CHistoryDlg::ShowRows(std::vector<HistoryRow> rows, bool bCount) {
  if (bCount) SetItemText(IDC_HISTORY_COUNT, std::to_string(rows.size()));
  m_list.SetRows(ListRows(std::move(rows)));
}

BOOL CHistoryDlg::OnNotify(const NMHDR* header) {
  if (header->idFrom != IDC_HISTORY_LIST) return FALSE;
  LRESULT result = 0;
  if (m_list.OnNotify(header, &result)) {
    SetMessageResult(result);
    return TRUE;
  }
  switch (header->code) {
    case NM_RCLICK:
      OnContextMenu(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
      return TRUE;
    case LVN_COLUMNCLICK:
      m_sort.Click(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
      m_list.Sort(m_sort);
      return TRUE;
  }
  return FALSE;
}

void CHistoryDlg::OnContextMenu(int row) {
  if (row < 0) return;
  POINT at;
  GetCursorPos(&at);
  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MENU_HISTORY));
  if (!menu) return;
  const int command = TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0,
                                     m_hWnd, nullptr);
  DestroyMenu(menu);
  if (command != 0) OnMenuCommand(command);
}

void CHistoryDlg::OnMenuCommand(int id) {
  if (id == ID_MENU_HISTORY_SOURCE) OpenSource();
  if (id == ID_MENU_HISTORY_TARGET) OpenTarget();
  if (id == ID_MENU_HISTORY_RESTORE) {
    if (IsSqlMode())
      OnRestore();
    else
      ShowText("暂时只提供数据库还原。文件还原可以手动操作。 :)");
  }
}

void CHistoryDlg::OpenTarget() {
  const int row = m_list.SelectionMark();
  if (row >= 0) SelectInExplorer(m_list.Text(row, HistoryOutputColumn(m_context.mode)));
}

void CHistoryDlg::OpenSource() {
  const int row = m_list.SelectionMark();
  if (row < 0) return;
  if (IsSqlMode()) {
    ShowText("为避免破坏数据库数据，此文件夹连接暂不开放。");
    return;
  }
  const std::string source = m_list.Text(row, 2);
  if (LastPathComponent(source).find('.') == std::string::npos)
    OpenWithShell(m_hWnd, nullptr, source, SW_SHOWNORMAL);
  else
    SelectInExplorer(source);
}

void CHistoryDlg::OnRestore() {
  const int mark = m_list.SelectionMark();
  if (mark < 0) return;
  const std::vector<std::string>& chosen = m_list.RowTexts(mark);
  const RestoreRow row{chosen[1], chosen[2], chosen[3], chosen[4]};
  if (ShowMessageBox(m_hWnd, RestoreQuestion(row), MB_YESNO) != IDYES) return;
  HWND button = Item(IDC_HISTORY_RESTORE);
  EnableWindow(button, FALSE);
  RestoreSqlBackup(row, {m_context.strRarDir, m_context.pConnection, RealProcessRunner(), RealFileSystem()}, *this);
  EnableWindow(button, TRUE);
}

void CHistoryDlg::SetCaption(const std::string& caption) {
  HWND button = Item(IDC_HISTORY_RESTORE);
  SetWindowTextA(button, caption.c_str());
  UpdateWindow(button);  // the restore holds the interface thread: show the step now
}

void CHistoryDlg::ShowText(const std::string& text) {
  ShowMessageBox(m_hWnd, text);
}

}  // namespace dorvik
