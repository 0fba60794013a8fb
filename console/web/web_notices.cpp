#include "console/web/web_notices.h"

#include <thread>
#include <vector>

#include "common/file_system.h"
#include "console/dialogs/message_box.h"
#include "console/dialogs/shell_open.h"
#include "console/dialogs/ui_messages.h"
#include "console/resource.h"
#include "console/web/web_address.h"
#include "console/web/web_fetch.h"

namespace dorvik {

namespace {

constexpr UINT_PTR kBannerTimerId = 1;
constexpr UINT kBannerPeriodMs = 3000;
constexpr DWORD kUpdateDelayMs = 2000;
constexpr DWORD kBannerDelayMs = 4000;

WebTexts LoadWebTexts(const std::string& programDir) {
  WebTexts texts = BuiltInWebTexts();
  std::string overrides;
  // Without the file the built-in texts stand, as intended.
  if (RealFileSystem().ReadWholeFile(programDir + kWebTextsFileName, &overrides))
    ApplyWebTextOverrides(overrides, &texts);
  return texts;
}

// Asks the window to put the question when a newer version is published.
void CheckForUpdate(HWND window, const std::string& address) {
  Sleep(kUpdateDelayMs);
  std::string text;
  FetchWebText(address, &text);  // a failed fetch leaves no text, so no question
  UpdateNotice notice = ParseUpdateNotice(text);
  if (IsNewerVersion(notice.strVersion)) PostOwned(window, kMsgUpdateNotice, 0, notice);
}

// Hands the window the banner entries; none when the list could not be fetched.
void LoadBannerList(HWND window, const std::string& address) {
  Sleep(kBannerDelayMs);
  std::string text;
  std::vector<BannerEntry> entries;
  if (FetchWebText(address, &text)) entries = ParseBannerList(text);
  PostOwned(window, kMsgBannerList, 0, std::move(entries));
}

}  // namespace

CWebNotices::CWebNotices(const std::string& programDir)
    : m_texts(LoadWebTexts(programDir)), m_banner(m_texts) {}

void CWebNotices::Start(HWND window) {
  m_hWnd = window;
  // Without a timer (no system resources left) the bottom line keeps its first text.
  SetTimer(window, kBannerTimerId, kBannerPeriodMs, nullptr);
  // The threads take copies: they may outlive this object while the process ends.
  std::thread(CheckForUpdate, window, m_texts.strUpdateNoticeAddress).detach();
  std::thread(LoadBannerList, window, m_texts.strBannerListAddress).detach();
}

bool CWebNotices::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kBannerTimerId) return false;
      SetDlgItemTextA(m_hWnd, IDC_BANNER_TEXT, m_banner.Tick().strTitle.c_str());
      InvalidateRect(GetDlgItem(m_hWnd, IDC_BANNER_TEXT), nullptr, TRUE);
      *result = TRUE;
      return true;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) != GetDlgItem(m_hWnd, IDC_BANNER_TEXT)) return false;
      SetCursor(LoadCursor(nullptr, IDC_HAND));
      SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, TRUE);
      *result = TRUE;
      return true;
    case WM_CTLCOLORSTATIC: {
      if (reinterpret_cast<HWND>(lParam) != GetDlgItem(m_hWnd, IDC_BANNER_TEXT)) return false;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, static_cast<COLORREF>(BannerColour(m_banner.Current().strColor)));
      SetBkMode(dc, TRANSPARENT);
      *result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
      return true;
    }
    case kMsgUpdateNotice:
      AskAboutUpdate(*TakePosted<UpdateNotice>(lParam));
      *result = TRUE;
      return true;
    case kMsgBannerList:
      m_banner.SetEntries(std::move(*TakePosted<std::vector<BannerEntry>>(lParam)));
      *result = TRUE;
      return true;
    default:
      return false;
  }
}

void CWebNotices::OnBannerClick() {
  OpenWithShell(m_hWnd, "open", m_banner.ClickAddress(), SW_SHOWNORMAL);
}

void CWebNotices::AskAboutUpdate(const UpdateNotice& notice) {
  if (ShowMessageBox(m_hWnd, UpdateQuestion(notice), MB_YESNO | MB_ICONINFORMATION,
                     kUpdateQuestionCaption) == IDYES) {
    OpenWithShell(m_hWnd, "open", WebAddressOr(notice.strUrl, m_texts.strDownloadPage),
                  SW_SHOWNORMAL);
  }
}

}  // namespace dorvik
