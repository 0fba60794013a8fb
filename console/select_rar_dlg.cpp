#include "console/select_rar_dlg.h"

#include <commdlg.h>

#include "common/file_system.h"
#include "console/archiver_choice.h"
#include "console/message_box_reactions.h"
#include "console/resource.h"
#include "console/shell_open.h"

namespace dorvik {

namespace {

class CSelectRarDlg {
 public:
  std::string Run(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SELECT_RAR), owner,
                    &CSelectRarDlg::DialogProc, reinterpret_cast<LPARAM>(this));
    return m_strRarPath;
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrA(window, DWLP_USER, lParam);
      reinterpret_cast<CSelectRarDlg*>(lParam)->m_hWnd = window;
      return TRUE;
    }
    CSelectRarDlg* self = reinterpret_cast<CSelectRarDlg*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self || message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
    self->OnCommand(LOWORD(wParam));
    return TRUE;
  }

  void OnCommand(int id) {
    switch (id) {
      case IDC_SELECT_RAR_BROWSE:
        Browse();
        break;
      case IDC_SELECT_RAR_DOWNLOAD:
        OpenWithShell(m_hWnd, "open", kArchiverDownloadAddress, SW_HIDE);
        break;
      case IDC_SELECT_RAR_OK: {
        char text[MAX_PATH * 2] = "";
        GetDlgItemTextA(m_hWnd, IDC_SELECT_RAR_PATH, text, sizeof text);
        m_strRarPath = text;
        CheckAndClose();
        break;
      }
      case IDCANCEL:
        CheckAndClose();
        break;  // the close box and Escape: the field is not read
      default:
        break;
    }
  }

  void Browse() {
    char file[MAX_PATH * 2] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "*.exe\0*.exe\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn)) return;
    m_strRarPath = file;
    SetDlgItemTextA(m_hWnd, IDC_SELECT_RAR_PATH, file);
  }

  void CheckAndClose() {
    auto exists = [](const std::string& path) {
      DirectoryEntry entry;
      return RealFileSystem().Stat(path, &entry) && !entry.isDirectory;
    };
    if (!IsAcceptedArchiverPath(m_strRarPath, exists)) {
      MessageBoxA(m_hWnd, kBadArchiverMessage, kMessageTitle, MB_OK);
      m_strRarPath.clear();
    }
    EndDialog(m_hWnd, 0);
  }

  HWND m_hWnd = nullptr;
  std::string m_strRarPath;
};

}  // namespace

std::string SelectArchiver(HWND owner) {
  CSelectRarDlg dialog;
  return dialog.Run(owner);
}

}  // namespace dorvik
