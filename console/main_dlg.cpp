#include "console/main_dlg.h"

#include <commctrl.h>
#include <thread>

#include "common/clock.h"
#include "common/file_system.h"
#include "config/document.h"
#include "config/file_task_record.h"
#include "config/sql_task_record.h"
#include "console/last_backup_times.h"
#include "console/resource.h"
#include "console/service_control.h"
#include "console/settings_dlg.h"
#include "console/small_dialogs.h"
#include "console/task_commands.h"
#include "console/task_warnings.h"
#include "console/ui_messages.h"
#include "console/shell_open.h"

namespace dorvik {

namespace {

const int kFilePageButtons[] = {IDC_FILE_NEW, IDC_FILE_MODIFY, IDC_FILE_DELETE, IDC_FILE_BACKUP_NOW,
                                IDC_FILE_HISTORY};
const int kSqlPageButtons[] = {IDC_SQL_NEW, IDC_SQL_MODIFY, IDC_SQL_DELETE, IDC_SQL_BACKUP_NOW,
                               IDC_SQL_HISTORY};
constexpr COLORREF kBannerBackground = RGB(0x1E, 0x5A, 0xB0);

bool FileOrFolderExists(const std::string& path) { return RealFileSystem().Exists(path); }

}  // namespace

CMainDlg::CMainDlg(HINSTANCE instance, const std::string& programDir)
    : m_hInstance(instance),
      m_strProgramDir(programDir),
      m_pConfigFile(MakeConfigFile(programDir + "config.db")),
      m_store(*m_pConfigFile, m_reactions),
      m_pLog(MakeBackupLog(programDir)),
      m_webNotices(programDir) {}

void CMainDlg::Run() {
  // config.db is settled before the window exists: its questions and messages come first either
  // way, and a console that has to end does so before anything is shown.
  m_ensureResult = EnsureConfigDocument(*m_pConfigFile, m_reactions, FileOrFolderExists,
                                        SystemClock(), &m_startup);
  if (m_ensureResult == EnsureResult::Ended) return;
  // Without a display the window cannot be made (-1): there is nothing to show, so end quietly.
  RunModal(nullptr, IDD_MAIN);
}

BOOL CMainDlg::OnCommand(int id, int) {
  OnControl(id);
  return TRUE;
}

BOOL CMainDlg::OnNotify(const NMHDR* header) {
  if (header->code == NM_CUSTOMDRAW &&
      (header->idFrom == IDC_FILE_LIST || header->idFrom == IDC_SQL_LIST)) {
    const CTaskListView& list = header->idFrom == IDC_FILE_LIST ? m_fileList : m_sqlList;
    // A dialog answers a notification through DWLP_MSGRESULT, not its return value.
    SetMessageResult(list.CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header))));
    return TRUE;
  }
  OnListNotify(*header);
  return TRUE;
}

void CMainDlg::OnTimer(UINT_PTR id) {
  INT_PTR result = FALSE;
  m_webNotices.HandleMessage(WM_TIMER, id, 0, &result);
}

void CMainDlg::OnDestroy() {
  if (m_hBannerFont) DeleteObject(m_hBannerFont);
  if (m_hBannerBrush) DeleteObject(m_hBannerBrush);
  if (m_hBigIcon) DestroyIcon(m_hBigIcon);
  if (m_hSmallIcon) DestroyIcon(m_hSmallIcon);
}

bool CMainDlg::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  if (m_webNotices.HandleMessage(message, wParam, lParam, result)) return true;
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
      ShowAboutBox(m_hWnd, m_webNotices.Texts().strProductPage);
      *result = TRUE;
      return true;
    case WM_CLOSE:
      OnExit();
      *result = TRUE;
      return true;
    case WM_CTLCOLORSTATIC: {
      if (reinterpret_cast<HWND>(lParam) != Item(IDC_BANNER)) return false;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkColor(dc, kBannerBackground);
      *result = reinterpret_cast<INT_PTR>(m_hBannerBrush);
      return true;
    }
    default:
      *result = TRUE;
      return HandleWorkerMessage(message, wParam, lParam);
  }
}

bool CMainDlg::HandleWorkerMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgShowText:
      ShowText(*TakePosted<std::string>(lParam), static_cast<UINT>(wParam));
      return true;
    case kMsgSqlConnecting:
      if (wParam > m_nAppliedSqlAttempt) {
        SetItemText(IDC_PAGE_SQL, "正在连接...");
        EnableWindow(Item(IDC_PAGE_SQL), FALSE);
      }
      return true;
    case kMsgSqlConnected:
      ApplySqlConnectResult(static_cast<unsigned>(wParam), TakePosted<ISqlConnection>(lParam));
      return true;
    case kMsgFileBackupBusy:
      SetItemText(IDC_FILE_BACKUP_NOW, "备份中...");
      return true;
    case kMsgFileStatus: {
      std::unique_ptr<CRowTime> status = TakePosted<CRowTime>(lParam);
      m_fileList.SetTextWhere(kIdColumn, status->strKey, kLastBackupColumn, status->strTime);
      return true;
    }
    case kMsgFileRunEnded:
      m_fileRuns.End(*TakePosted<std::string>(lParam));
      SetItemText(IDC_FILE_BACKUP_NOW, "立即备份");
      EnableWindow(Item(IDC_FILE_BACKUP_NOW), TRUE);
      return true;
    case kMsgSqlProgress:
      SetItemText(IDC_SQL_BACKUP_NOW, *TakePosted<std::string>(lParam));
      return true;
    case kMsgSqlLastBackup: {
      std::unique_ptr<CRowTime> status = TakePosted<CRowTime>(lParam);
      m_sqlList.SetTextWhere(1, status->strKey, kLastBackupColumn, status->strTime);
      return true;
    }
    case kMsgSqlRunEnded:
      SetItemText(IDC_SQL_BACKUP_NOW, "立即备份");
      EnableWindow(Item(IDC_SQL_BACKUP_NOW), TRUE);
      return true;
    case kMsgRestartEnded:
      if (--m_nRestartsRunning == 0) {
        SetItemText(IDC_RESTART_SERVICE, "重启服务");
        EnableWindow(Item(IDC_RESTART_SERVICE), TRUE);
      }
      if (wParam) ShowText("Dorvik服务重启完成！", MB_ICONINFORMATION);
      return true;
    default:
      return false;
  }
}

void CMainDlg::OnInitDialog() {
  m_reactions.SetOwner(m_hWnd);
  HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
  if (systemMenu) {
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, "关于 Dorvik(&A)...");
  }
  // Icons loaded at a size of our choosing are ours to destroy (OnDestroy).
  m_hBigIcon = static_cast<HICON>(LoadImageA(m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  m_hSmallIcon = static_cast<HICON>(LoadImageA(m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hBigIcon));
  SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
  m_hBannerBrush = CreateSolidBrush(kBannerBackground);
  m_hBannerFont =
      CreateFontA(-26, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0, "宋体");
  SendMessageA(Item(IDC_BANNER), WM_SETFONT, reinterpret_cast<WPARAM>(m_hBannerFont), FALSE);

  // A Log folder that cannot be made now is made again by the first run that logs.
  // True when it is there already; a Log folder that cannot be made shows at the first append.
  RealFileSystem().MakeDirectory(m_strProgramDir + "Log");

  m_nSqlConnectionState = -1;
  EnableWindow(Item(IDC_PAGE_SQL), FALSE);
  SetItemText(IDC_PAGE_SQL, "连接数据库...");
  ShowPage(ConsolePage::File);
  m_fileList.Attach(Item(IDC_FILE_LIST), kFileListColumns);
  m_sqlList.Attach(Item(IDC_SQL_LIST), kSqlListColumns);

  // config.db could not be created: the window runs without tasks, connection or service.
  if (m_ensureResult != EnsureResult::Ready) return;
  m_fileList.Fill(WithWarnings(FileTaskRows(m_startup.fileTaskRecords, LoadLastBackupTimes(m_strProgramDir)),
                               kIdColumn, WarningsOf("file")));
  StartSqlConnectAttempt();
  m_fileList.Renumber();
  RealServiceManager().InstallServiceProgram(m_strProgramDir + kInstallProgramName);
  m_webNotices.Start(m_hWnd);
}

void CMainDlg::OnControl(int id) {
  switch (id) {
    case IDC_PAGE_FILE:
      OnFilePage();
      break;
    case IDC_PAGE_SQL:
      OnSqlPage();
      break;
    case IDC_SETTINGS:
      EditSettings(m_hWnd, m_store, &m_startup.strDefStorePath);
      break;
    case IDC_RESTART_SERVICE:
      if (Ask("确定重启VarnelDorvik后台服务吗？", MB_ICONQUESTION) == IDYES)
        StartBackgroundRestart(true);
      break;
    case IDC_ABOUT_US:
      OpenWithShell(m_hWnd, "open", m_webNotices.Texts().strProductPage, SW_SHOWNORMAL);
      break;
    case IDC_BANNER_TEXT:
      m_webNotices.OnBannerClick();
      break;
    case IDC_EXIT:
      OnExit();
      break;
    case IDC_FILE_NEW:
      OnFileNew();
      break;
    case IDC_FILE_MODIFY:
      if (const int row = m_fileList.ChosenRow(); row >= 0)
        EditFileRow(row);
      else
        ShowText(kNoTaskChosen);
      break;
    case IDC_FILE_DELETE:
      OnFileDelete();
      break;
    case IDC_FILE_BACKUP_NOW:
      OnFileBackupNow();
      break;
    case IDC_SQL_NEW:
      OnSqlNew();
      break;
    case IDC_SQL_MODIFY:
      if (const int row = m_sqlList.ChosenRow(); row >= 0)
        EditSqlRow(row);
      else
        ShowText(kNoTaskChosen);
      break;
    case IDC_SQL_DELETE:
      OnSqlDelete();
      break;
    case IDC_SQL_BACKUP_NOW:
      OnSqlBackupNow();
      break;
    case IDC_FILE_HISTORY:
      OpenHistory(false);
      break;
    case IDC_SQL_HISTORY:
      OpenHistory(true);
      break;
    // IDOK and IDCANCEL (Enter, Escape) are swallowed.
    default:
      break;
  }
}

void CMainDlg::OnListNotify(const NMHDR& header) {
  const bool bFileList = header.idFrom == IDC_FILE_LIST;
  if (!bFileList && header.idFrom != IDC_SQL_LIST) return;
  CTaskListView& list = bFileList ? m_fileList : m_sqlList;
  switch (header.code) {
    case NM_RCLICK: {
      const NMITEMACTIVATE& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
      OnContextMenu(bFileList, click.iItem, click.ptAction);
      break;
    }
    case NM_DBLCLK: {
      const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
      if (bFileList) {
        if (row >= 0)
          EditFileRow(row);
        else
          OnFileNew();
      } else {
        if (row >= 0)
          EditSqlRow(row);
        else
          OnSqlNew();
      }
      break;
    }
    case LVN_COLUMNCLICK:
      m_sort.Click(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      list.Sort(m_sort);
      break;
    case NM_KILLFOCUS:
      SaveChecks(bFileList);
      break;
    default:
      break;
  }
}

void CMainDlg::OnContextMenu(bool bFileList, int row, POINT clickInList) {
  POINT at = clickInList;
  if (row < 0) {
    GetCursorPos(&at);
  } else {
    ClientToScreen((bFileList ? m_fileList : m_sqlList).Handle(), &at);
  }
  const int menuId = row < 0 ? (bFileList ? IDR_MENU_FILE_EMPTY : IDR_MENU_SQL_EMPTY)
                             : (bFileList ? IDR_MENU_FILE_ROW : IDR_MENU_SQL_ROW);
  HMENU menu = LoadMenuA(m_hInstance, MAKEINTRESOURCEA(menuId));
  if (!menu) return;
  if (row >= 0) {
    // A task that failed or missed its run says why at the top of its row menu: an item that
    // cannot be chosen (disabled, not greyed, so it stays legible) and a separator.
    const std::string& warning = (bFileList ? m_fileList : m_sqlList).Warning(row);
    if (!warning.empty()) {
      InsertMenuA(GetSubMenu(menu, 0), 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
      InsertMenuA(GetSubMenu(menu, 0), 0, MF_BYPOSITION | MF_STRING | MF_DISABLED, 0,
                  warning.c_str());
    }
  }
  const int command = TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x,
                                     at.y, 0, m_hWnd, nullptr);
  DestroyMenu(menu);
  if (command != 0) OnMenuCommand(bFileList, command);
}

void CMainDlg::OnMenuCommand(bool bFileList, int id) {
  static const struct {
    int menu, fileButton, sqlButton;
  } kSameAsButton[] = {
      {ID_MENU_NEW_TASK, IDC_FILE_NEW, IDC_SQL_NEW},
      {ID_MENU_MODIFY, IDC_FILE_MODIFY, IDC_SQL_MODIFY},
      {ID_MENU_DELETE, IDC_FILE_DELETE, IDC_SQL_DELETE},
      {ID_MENU_BACKUP, IDC_FILE_BACKUP_NOW, IDC_SQL_BACKUP_NOW},
      {ID_MENU_VIEW, IDC_FILE_HISTORY, IDC_SQL_HISTORY},
  };
  for (const auto& same : kSameAsButton) {
    if (same.menu == id) {
      OnControl(bFileList ? same.fileButton : same.sqlButton);
      return;
    }
  }
  if (id == ID_MENU_SOURCE && bFileList) OpenFileFolder(true);
  if (id == ID_MENU_TARGET) {
    if (bFileList)
      OpenFileFolder(false);
    else
      OpenSqlFolder();
  }
}

void CMainDlg::OnExit() {
  if (Ask("Dorvik会在后台自动运行。确定退出吗？") != IDYES) return;
  // A check box clicked without the list ever taking the focus (Wine lets that happen) is
  // still stored, before the service is restarted to read it.
  SaveChecks(true);
  SaveChecks(false);
  ShowWindow(m_hWnd, SW_HIDE);
  RestartServiceByName(RealServiceManager(), SystemClock(), kRestartServiceName,
                       m_strProgramDir + kExitRestartProgramName, true);
  EndDialog(m_hWnd, 0);
}

void CMainDlg::ShowPage(ConsolePage page) {
  const bool bFile = page == ConsolePage::File;
  ShowWindow(Item(IDC_FILE_LIST), bFile ? SW_SHOW : SW_HIDE);
  ShowWindow(Item(IDC_SQL_LIST), bFile ? SW_HIDE : SW_SHOW);
  for (int id : kFilePageButtons) ShowWindow(Item(id), bFile ? SW_SHOW : SW_HIDE);
  for (int id : kSqlPageButtons) ShowWindow(Item(id), bFile ? SW_HIDE : SW_SHOW);
}

void CMainDlg::OnFilePage() {
  ShowPage(ConsolePage::File);
  m_fileList.Renumber();
  if (m_fileList.RowCount() == 0 &&
      ShowMessageBox(m_hWnd, "您还没有设置需要备份的文件夹，是否现在设置？", MB_YESNO | MB_ICONQUESTION,
                     "设置备份文件夹") == IDYES) {
    OnFileNew();
  }
}

void CMainDlg::StartBackgroundRestart(bool bAnnounce) {
  ++m_nRestartsRunning;
  SetItemText(IDC_RESTART_SERVICE, "正在重启...");
  EnableWindow(Item(IDC_RESTART_SERVICE), FALSE);
  HWND window = m_hWnd;
  const std::string program = m_strProgramDir + kBackgroundRestartProgramName;
  std::thread([window, program, bAnnounce] {
    RestartServiceByName(RealServiceManager(), SystemClock(), kRestartServiceName, program, true);
    PostMessageA(window, kMsgRestartEnded, bAnnounce ? 1 : 0, 0);
  }).detach();
}

void CMainDlg::SaveChecks(bool bFileList) {
  std::vector<std::string> missingIds;
  const std::vector<TaskCheck> checks = (bFileList ? m_fileList : m_sqlList).Checks();
  if (checks.empty()) return;
  const TaskChange result = bFileList ? SetFileTaskChecks(m_store, checks, &missingIds)
                                      : SetSqlTaskChecks(m_store, checks, &missingIds);
  for (std::size_t i = 0; i < missingIds.size(); ++i) ShowText("哈哈，初始化错误");
  if (result == TaskChange::Failed) ShowText(kConfigWriteFailed);
}

void CMainDlg::ShowTaskChangeProblem(TaskChange change) {
  if (change == TaskChange::NotFound) ShowText(kTaskNotInDocument);
  if (change == TaskChange::Failed) ShowText(kConfigWriteFailed);
}

TaskWarnings CMainDlg::WarningsOf(const std::string& kind) {
  std::string document;
  if (!m_store.LoadConfigDocument(&document)) return {};
  // The service's marks of runs still going count only while it runs.
  const bool bServiceRunning =
      RealServiceManager().QueryStopped(kStopSwitchServiceName) == ServiceQuery::NotStopped;
  return WarningsOfKind(LoadTaskHealth(document, m_strProgramDir, bServiceRunning), kind);
}

std::vector<std::string> CMainDlg::DocumentRecords(const char* section) {
  std::string document;
  if (!m_store.LoadConfigDocument(&document)) return {};
  return SplitRecords(section, document);
}

int CMainDlg::Ask(const std::string& question, UINT flags) {
  return ShowMessageBox(m_hWnd, question, MB_YESNO | flags);
}

void CMainDlg::ShowText(const std::string& text, UINT flags) {
  ShowMessageBox(m_hWnd, text, MB_OK | flags);
}

}  // namespace dorvik
