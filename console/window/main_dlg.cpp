#include "console/window/main_dlg.h"

#include <commctrl.h>
#include <thread>

#include "common/clock.h"
#include "common/file_system.h"
#include "console/core/service_control.h"
#include "console/core/service_manager.h"
#include "console/dialogs/message_box.h"
#include "console/dialogs/shell_open.h"
#include "console/dialogs/small_dialogs.h"
#include "console/dialogs/ui_messages.h"
#include "console/resource.h"
#include "console/window/settings_dlg.h"

namespace dorvik {

namespace {

constexpr COLORREF kBannerBackground = RGB(0x1E, 0x5A, 0xB0);

}  // namespace

CMainDlg::CMainDlg(HINSTANCE instance, const std::string& programDir)
    : m_hInstance(instance),
      m_strProgramDir(programDir),
      m_pConfigFile(MakeConfigFile(programDir + "config.db")),
      m_store(*m_pConfigFile, m_reactions),
      m_pLog(MakeBackupLog(programDir)),
      m_webNotices(programDir),
      m_pageContext{instance, m_strProgramDir, m_store, *m_pLog, m_startup, m_threadReactions, m_workers, m_sort},
      m_filePage(m_pageContext, *this),
      m_sqlPage(m_pageContext, *this) {}

void CMainDlg::Run() {
  // config.db is settled before the window exists: its questions and messages come first either
  // way, and a console that has to end does so before anything is shown.
  m_ensureResult = EnsureConfigDocument(*m_pConfigFile, m_reactions, PathExistsOnDisk,
                                        SystemClock(), &m_startup);
  if (m_ensureResult == EnsureResult::Ended) return;
  // Without a display the window cannot be made (-1): there is nothing to show, so end quietly.
  RunModal(nullptr, IDD_MAIN);
}

BOOL CMainDlg::OnCommand(int id, int) {
  switch (id) {
    case IDC_PAGE_FILE:
      m_sqlPage.ForgetPageRequest();
      ShowPage(ConsolePage::File);
      m_filePage.OnShown();
      break;
    case IDC_PAGE_SQL:
      m_sqlPage.OnPageButton();
      break;
    case IDC_SETTINGS:
      EditSettings(m_hWnd, m_store, &m_startup.strDefStorePath);
      break;
    case IDC_RESTART_SERVICE:
      if (ShowMessageBox(m_hWnd, "确定重启VarnelDorvik后台服务吗？", MB_YESNO | MB_ICONQUESTION) == IDYES)
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
    default:
      // The pages' buttons; IDOK and IDCANCEL (Enter, Escape) are swallowed.
      if (!m_filePage.OnCommand(id)) m_sqlPage.OnCommand(id);
      break;
  }
  return TRUE;
}

BOOL CMainDlg::OnNotify(const NMHDR* header) {
  LRESULT result = 0;
  if (m_filePage.OnNotify(header, &result) || m_sqlPage.OnNotify(header, &result)) {
    // A dialog answers a notification through DWLP_MSGRESULT, not its return value.
    SetMessageResult(result);
  }
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
  *result = TRUE;
  return OnWindowMessage(message, wParam, lParam, result) || m_filePage.OnWorkerMessage(message, wParam, lParam) ||
         m_sqlPage.OnWorkerMessage(message, wParam, lParam);
}

bool CMainDlg::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
      ShowAboutBox(m_hWnd, m_webNotices.Texts().strProductPage);
      return true;
    case WM_CLOSE:
      OnExit();
      return true;
    case WM_CTLCOLORSTATIC: {
      if (reinterpret_cast<HWND>(lParam) != Item(IDC_BANNER)) return false;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkColor(dc, kBannerBackground);
      *result = reinterpret_cast<INT_PTR>(m_hBannerBrush);
      return true;
    }
    case kMsgShowText:
      ShowText(*TakePosted<std::string>(lParam), static_cast<UINT>(wParam));
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
  SetUpLooks();
  // A Log folder that cannot be made now is made again by the first run that logs.
  // True when it is there already; a Log folder that cannot be made shows at the first append.
  RealFileSystem().MakeDirectory(m_strProgramDir + "Log");

  m_filePage.Attach(m_hWnd);
  m_sqlPage.Attach(m_hWnd);
  ShowPage(ConsolePage::File);

  // config.db could not be created: the window runs without tasks, connection or service.
  if (m_ensureResult != EnsureResult::Ready) return;
  m_filePage.Fill();
  m_sqlPage.StartConnecting();
  RealServiceManager().InstallServiceProgram(m_strProgramDir + kInstallProgramName);
  m_webNotices.Start(m_hWnd);
}

// The About entry of the system menu, the icons and the banner's font and colours.
void CMainDlg::SetUpLooks() {
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
}

void CMainDlg::OnExit() {
  if (ShowMessageBox(m_hWnd, "Dorvik会在后台自动运行。确定退出吗？", MB_YESNO) != IDYES) return;
  // A check box clicked without the list ever taking the focus (Wine lets that happen) is
  // still stored, before the service is restarted to read it.
  m_filePage.SaveChecks();
  m_sqlPage.SaveChecks();
  ShowWindow(m_hWnd, SW_HIDE);
  RestartServiceByName(RealServiceManager(), SystemClock(), kRestartServiceName,
                       m_strProgramDir + kExitRestartProgramName, true);
  EndDialog(m_hWnd, 0);
}

void CMainDlg::ShowPage(ConsolePage page) {
  m_filePage.Show(page == ConsolePage::File);
  m_sqlPage.Show(page == ConsolePage::Sql);
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

void CMainDlg::ShowText(const std::string& text, UINT flags) {
  ShowMessageBox(m_hWnd, text, MB_OK | flags);
}

}  // namespace dorvik
