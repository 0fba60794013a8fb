#include "console/small_dialogs.h"

#include "console/resource.h"
#include "console/shell_open.h"

namespace dorvik {

namespace {

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return TRUE;
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
        OpenWithShell(window, "open", kProductWebAddress, SW_SHOWNORMAL);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

struct SettingsValues {
  std::string strRarPath, strDefStorePath;
};

INT_PTR CALLBACK SettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const SettingsValues* values = reinterpret_cast<const SettingsValues*>(lParam);
    SetDlgItemTextA(window, IDC_SETTINGS_RAR_PATH, values->strRarPath.c_str());
    SetDlgItemTextA(window, IDC_SETTINGS_STORE_PATH, values->strDefStorePath.c_str());
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_SETTINGS_OK:
    case IDC_SETTINGS_CANCEL:
    case IDCANCEL:
      EndDialog(window, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowAboutBox(HWND owner) {
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUTBOX), owner, AboutProc, 0);
}

void EditSettings(HWND owner, const std::string& rarPath, const std::string& defStorePath) {
  SettingsValues values{rarPath, defStorePath};
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), owner, SettingsProc,
                  reinterpret_cast<LPARAM>(&values));
}

}  // namespace dorvik
