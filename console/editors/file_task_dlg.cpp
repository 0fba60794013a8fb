#include "console/editors/file_task_dlg.h"

#include "common/file_system.h"
#include "console/dialogs/dialog.h"
#include "console/editors/editor_win32.h"
#include "console/editors/file_task_editor.h"
#include "console/resource.h"

namespace dorvik {

namespace {

class CFileTaskDlg : public CDialog {
 public:
  CFileTaskDlg(const std::string& recordText, const std::string& defStorePath)
      : m_strRecordText(recordText), m_strDefStorePath(defStorePath) {}

  bool Run(HWND owner, FileTaskEditorValues* values) {
    if (!RunModal(owner, IDD_FILE_TASK)) return false;
    *values = m_editor.Values();
    return true;
  }

 private:

  void OnInitDialog() override {
    EditorStart start = m_editor.Start(m_strRecordText, m_strDefStorePath);
    PushControlModel(m_hWnd, m_editor.Controls());
    DragAcceptFiles(m_hWnd, TRUE);
    ReportEditorStart(m_hWnd, start);
  }

  BOOL OnCommand(int id, int code) override {
    CControlModel& controls = m_editor.Controls();
    if (code == EN_SETFOCUS && id == IDC_FT_NAMES) {
      PullEditTexts(m_hWnd, &controls);
      m_editor.FocusNames();
      PushControlModel(m_hWnd, controls);
      return TRUE;
    }
    if (code != BN_CLICKED) return FALSE;
    switch (id) {
      case IDC_FT_SOURCE_BROWSE: Browse(IDC_FT_SOURCE); return TRUE;
      case IDC_FT_STORE_BROWSE: Browse(IDC_FT_STORE); return TRUE;
      case IDC_FT_SOURCE_OPEN:
      case IDC_FT_STORE_OPEN:
        PullEditTexts(m_hWnd, &controls);
        OpenTypedFolder(m_hWnd, controls.Text(id == IDC_FT_SOURCE_OPEN ? IDC_FT_SOURCE : IDC_FT_STORE));
        return TRUE;
      case IDOK:
      case IDC_FT_OK: Confirm(); return TRUE;
      case IDCANCEL:
      case IDC_FT_CANCEL: EndDialog(m_hWnd, IDCANCEL); return TRUE;
    }
    PullEditTexts(m_hWnd, &controls);
    if (!m_editor.Choose(id)) return FALSE;
    PushControlModel(m_hWnd, controls);
    return TRUE;
  }

  void Browse(int edit) {
    PullEditTexts(m_hWnd, &m_editor.Controls());
    m_editor.NoteFolderText(edit);
    std::string folder;
    if (BrowseForFolder(m_hWnd, m_editor.Controls().Text(edit), false, &folder)) {
      m_editor.SetFolder(edit, folder);
    }
    PushControlModel(m_hWnd, m_editor.Controls());
  }

  void Confirm() {
    PullEditTexts(m_hWnd, &m_editor.Controls());
    std::string failure = m_editor.Confirm(PathExistsOnDisk);
    PushControlModel(m_hWnd, m_editor.Controls());
    if (failure.empty()) {
      EndDialog(m_hWnd, IDOK);
    } else {
      ShowEditorMessage(m_hWnd, failure);
    }
  }

  void OnDropFiles(HDROP drop) override {
    PullEditTexts(m_hWnd, &m_editor.Controls());
    for (const std::string& name : TakeDroppedNames(m_hWnd, drop)) {
      m_editor.Controls().SetText(CDropAlternation::ForConsoleRun().NextEdit(), name);
    }
    PushControlModel(m_hWnd, m_editor.Controls());
  }

  std::string m_strRecordText;
  std::string m_strDefStorePath;
  CFileTaskEditor m_editor;
};

}  // namespace

bool RunFileTaskEditor(HWND owner, const std::string& recordText,
                       const std::string& defStorePath, FileTaskEditorValues* values) {
  CFileTaskDlg dialog(recordText, defStorePath);
  return dialog.Run(owner, values);
}

}  // namespace dorvik
