#include "console/window/settings_dlg.h"

#include <shlobj.h>

#include "common/file_system.h"
#include "config/document.h"
#include "console/core/settings_values.h"
#include "console/core/task_commands.h"
#include "console/dialogs/dialog.h"
#include "console/dialogs/message_box_reactions.h"
#include "console/dialogs/shell_open.h"
#include "console/editors/editor_win32.h"
#include "console/resource.h"

namespace dorvik {

namespace {

class CSettingsDlg : public CDialog {
 public:
  CSettingsDlg(CConfigStore& store, const std::string& rarPath, std::string* defStorePath)
      : m_store(store), m_strOpeningRarPath(rarPath), m_pDefStorePath(defStorePath) {}

  void Run(HWND owner) { RunModal(owner, IDD_SETTINGS); }

 private:

  void OnInitDialog() override {
    SetDlgItemTextA(m_hWnd, IDC_SETTINGS_RAR_PATH, m_strOpeningRarPath.c_str());
    SetDlgItemTextA(m_hWnd, IDC_SETTINGS_STORE_PATH, m_pDefStorePath->c_str());
  }

  BOOL OnCommand(int id, int code) override {
    if (code != BN_CLICKED) return FALSE;
    switch (id) {
      case IDC_SETTINGS_RAR_BROWSE:
        BrowseArchiver();
        break;
      case IDC_SETTINGS_STORE_BROWSE: {
        const ShellBrowse how{"请选择文件夹",
                              BIF_NEWDIALOGSTYLE | BIF_BROWSEINCLUDEFILES | BIF_RETURNFSANCESTORS,
                              nullptr};
        Browse(how, IDC_SETTINGS_STORE_PATH);
        break;
      }
      case IDC_SETTINGS_DOWNLOAD:
        OpenWithShell(m_hWnd, "open", kArchiverDownloadAddress, SW_HIDE);
        break;
      case IDC_SETTINGS_OK:
        Save();
        break;
      case IDC_SETTINGS_CANCEL:
      case IDCANCEL:
        EndDialog(m_hWnd, IDCANCEL);
        break;
      default:
        return FALSE;
    }
    return TRUE;
  }

  void BrowseArchiver() {
    PIDLIST_ABSOLUTE programFiles = nullptr;
    // Without the folder the browser starts from the desktop, which still reaches it.
    if (FAILED(SHGetSpecialFolderLocation(m_hWnd, CSIDL_PROGRAM_FILES, &programFiles)))
      programFiles = nullptr;
    const ShellBrowse how{"选择Rar.exe压缩文件！",
                          BIF_BROWSEINCLUDEFILES | BIF_EDITBOX | BIF_VALIDATE | BIF_STATUSTEXT,
                          programFiles};
    Browse(how, IDC_SETTINGS_RAR_PATH);
    CoTaskMemFree(programFiles);
  }

  void Browse(const ShellBrowse& how, int field) {
    std::string chosen;
    if (BrowseShell(m_hWnd, how, ItemText(field), &chosen))
      SetDlgItemTextA(m_hWnd, field, chosen.c_str());
  }

  void Save() {
    auto fileExists = [](const std::string& path) {
      DirectoryEntry entry;
      return RealFileSystem().Stat(path, &entry) && !entry.isDirectory;
    };
    auto folderExists = [](const std::string& path) { return RealFileSystem().IsDirectory(path); };
    const SettingsValues values = CheckSettings(ItemText(IDC_SETTINGS_RAR_PATH),
                                                ItemText(IDC_SETTINGS_STORE_PATH), fileExists,
                                                folderExists);
    if (!values.strMessage.empty()) {
      Show(values.strMessage);
      return;
    }
    // The read shows its own message when it fails; a failed write says that nothing was kept.
    if (!m_store.UpdateConfigDocument(
            [&](const std::string& document) { return ApplySettings(document, values); })) {
      Show(kConfigWriteFailed);
      return;
    }
    if (!values.strStorePath.empty()) *m_pDefStorePath = values.strStorePath;
    EndDialog(m_hWnd, IDOK);
  }


  void Show(const std::string& text) { ShowMessageBox(m_hWnd, text); }

  CConfigStore& m_store;
  const std::string m_strOpeningRarPath;
  std::string* m_pDefStorePath;
};

}  // namespace

void EditSettings(HWND owner, CConfigStore& store, std::string* defStorePath) {
  std::string document;
  if (!store.LoadConfigDocument(&document)) return;
  CSettingsDlg dialog(store, GetTag(document, "rarpath"), defStorePath);
  dialog.Run(owner);
}

}  // namespace dorvik
