#include "console/small_dialogs.h"

#include "console/resource.h"
#include "console/shell_open.h"

namespace dorvik {

namespace {

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    return TRUE;
  }
  if (message == WM_SETCURSOR &&
      reinterpret_cast<HWND>(wParam) == GetDlgItem(window, IDC_ABOUT_LINK)) {
    SetCursor(LoadCursor(nullptr, IDC_HAND));
    SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
    return TRUE;
  }
  if (message == WM_CTLCOLORSTATIC &&
      reinterpret_cast<HWND>(lParam) == GetDlgItem(window, IDC_ABOUT_LINK)) {
    // The web address looks like a link; the dialog's own background stays.
    SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0xCC));
    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL:
      EndDialog(window, 0);
      return TRUE;
    case IDC_ABOUT_LINK:
      if (HIWORD(wParam) == STN_CLICKED) {
        const auto* productPage =
            reinterpret_cast<const std::string*>(GetWindowLongPtrA(window, DWLP_USER));
        OpenWithShell(window, "open", *productPage, SW_SHOWNORMAL);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowAboutBox(HWND owner, const std::string& productPage) {
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUTBOX), owner, AboutProc,
                  reinterpret_cast<LPARAM>(&productPage));
}

}  // namespace dorvik
