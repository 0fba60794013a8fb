#include "console/dialogs/select_rar_dlg.h"

#include <commdlg.h>

#include "common/file_system.h"
#include "console/core/archiver_choice.h"
#include "console/dialogs/dialog.h"
#include "console/dialogs/message_box.h"
#include "console/dialogs/shell_open.h"
#include "console/resource.h"

namespace dorvik {

namespace {

class CSelectRarDlg : public CDialog {
 public:
  std::string Run(HWND owner) {
    RunModal(owner, IDD_SELECT_RAR);
    return m_strRarPath;
  }

 private:
  BOOL OnCommand(int id, int code) override {
    if (code != BN_CLICKED) return FALSE;
    switch (id) {
      case IDC_SELECT_RAR_BROWSE:
        Browse();
        break;
      case IDC_SELECT_RAR_DOWNLOAD:
        OpenWithShell(m_hWnd, "open", kArchiverDownloadAddress, SW_HIDE);
        break;
      case IDC_SELECT_RAR_OK:
        m_strRarPath = ItemText(IDC_SELECT_RAR_PATH);
        CheckAndClose();
        break;
      case IDCANCEL:
        CheckAndClose();
        break;  // the close box and Escape: the field is not read
      default:
        break;
    }
    return TRUE;
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
      ShowMessageBox(m_hWnd, kBadArchiverMessage);
      m_strRarPath.clear();
    }
    EndDialog(m_hWnd, 0);
  }

  std::string m_strRarPath;
};

}  // namespace

std::string SelectArchiver(HWND owner) {
  CSelectRarDlg dialog;
  return dialog.Run(owner);
}

}  // namespace dorvik
