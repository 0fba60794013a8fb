#include "console/dialogs/small_dialogs.h"

#include "console/dialogs/dialog.h"
#include "console/dialogs/shell_open.h"
#include "console/resource.h"

namespace dorvik {

namespace {

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(const std::string& productPage) : m_strProductPage(productPage) {}
  void Run(HWND owner) { RunModal(owner, IDD_ABOUTBOX); }

 private:
  BOOL OnCommand(int id, int code) override {
    switch (id) {
      case IDOK:
      case IDCANCEL:
        EndDialog(m_hWnd, 0);
        return TRUE;
      case IDC_ABOUT_LINK:
        if (code == STN_CLICKED) OpenWithShell(m_hWnd, "open", m_strProductPage, SW_SHOWNORMAL);
        return TRUE;
      default:
        return FALSE;
    }
  }

  bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override {
    if (message == WM_SETCURSOR && reinterpret_cast<HWND>(wParam) == Item(IDC_ABOUT_LINK)) {
      SetCursor(LoadCursor(nullptr, IDC_HAND));
      SetMessageResult(TRUE);
      *result = TRUE;
      return true;
    }
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == Item(IDC_ABOUT_LINK)) {
      // The web address looks like a link; the dialog's own background stays.
      SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0xCC));
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      *result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
      return true;
    }
    return false;
  }

  std::string m_strProductPage;
};

}  // namespace

void ShowAboutBox(HWND owner, const std::string& productPage) {
  CAboutDlg(productPage).Run(owner);
}

}  // namespace dorvik
