#include "console/editors/sql_task_dlg.h"

#include <commctrl.h>

#include "common/file_system.h"
#include "console/dialogs/dialog.h"
#include "console/editors/editor_win32.h"
#include "console/resource.h"

namespace dorvik {

namespace {

void SetUpListView(HWND list, const char* heading, int width) {
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP |
                   LVS_EX_TWOCLICKACTIVATE | LVS_EX_FLATSB | LVS_EX_LABELTIP);
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<char*>(heading);
  column.cx = width;
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

void FillListView(HWND list, const std::vector<std::string>& names) {
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t row = 0; row < names.size(); ++row) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    item.pszText = const_cast<char*>(names[row].c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

std::vector<std::size_t> SelectedRows(HWND list) {
  std::vector<std::size_t> rows;
  for (int row = -1;
       (row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) != -1;) {
    rows.push_back(static_cast<std::size_t>(row));
  }
  return rows;
}

class CSqlTaskDlg : public CDialog {
 public:
  explicit CSqlTaskDlg(const SqlTaskEditorContext& context) : m_context(context) {}

  bool Run(HWND owner, SqlTaskEditorValues* values) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RunModal(owner, IDD_SQL_TASK)) return false;
    *values = m_editor.Values();
    return true;
  }

 private:

  void OnInitDialog() override {
    SetUpListView(GetDlgItem(m_hWnd, IDC_ST_AVAILABLE), "已有数据库", 165);
    SetUpListView(GetDlgItem(m_hWnd, IDC_ST_CHOSEN), "备份数据库", 159);
    EditorStart start = m_editor.Start(m_context);
    ShowLists();
    PushControlModel(m_hWnd, m_editor.Controls());
    DragAcceptFiles(m_hWnd, TRUE);
    ReportEditorStart(m_hWnd, start);
  }

  BOOL OnCommand(int id, int code) override {
    if (code != BN_CLICKED) return FALSE;
    CControlModel& controls = m_editor.Controls();
    switch (id) {
      case IDC_ST_ADD: AddChosen(); return TRUE;
      case IDC_ST_REMOVE: RemoveChosen(); return TRUE;
      case IDC_ST_SELECT_ALL:
        m_editor.Lists().SelectAll();
        ShowLists();
        return TRUE;
      case IDC_ST_STORE_BROWSE: Browse(); return TRUE;
      case IDC_ST_STORE_OPEN:
        PullEditTexts(m_hWnd, &controls);
        OpenTypedFolder(m_hWnd, controls.Text(IDC_ST_STORE));
        return TRUE;
      case IDOK:
      case IDC_ST_OK: Confirm(); return TRUE;
      case IDCANCEL:
      case IDC_ST_CANCEL: EndDialog(m_hWnd, IDCANCEL); return TRUE;
    }
    PullEditTexts(m_hWnd, &controls);
    if (!m_editor.Choose(id)) return FALSE;
    PushControlModel(m_hWnd, controls);
    return TRUE;
  }

  BOOL OnNotify(const NMHDR* header) override {
    if (header->code != NM_DBLCLK) return FALSE;
    if (header->idFrom == IDC_ST_AVAILABLE) AddChosen();
    if (header->idFrom == IDC_ST_CHOSEN) RemoveChosen();
    return TRUE;
  }

  void AddChosen() {
    m_editor.Lists().Add(SelectedRows(GetDlgItem(m_hWnd, IDC_ST_AVAILABLE)));
    ShowLists();
  }

  void RemoveChosen() {
    m_editor.Lists().Remove(SelectedRows(GetDlgItem(m_hWnd, IDC_ST_CHOSEN)));
    ShowLists();
  }

  void ShowLists() {
    FillListView(GetDlgItem(m_hWnd, IDC_ST_AVAILABLE), m_editor.Lists().Available());
    FillListView(GetDlgItem(m_hWnd, IDC_ST_CHOSEN), m_editor.Lists().Chosen());
  }

  void Browse() {
    PullEditTexts(m_hWnd, &m_editor.Controls());
    std::string folder;
    if (BrowseForFolder(m_hWnd, m_editor.Controls().Text(IDC_ST_STORE), true, &folder)) {
      m_editor.SetFolder(folder);
    }
    PushControlModel(m_hWnd, m_editor.Controls());
  }

  void Confirm() {
    PullEditTexts(m_hWnd, &m_editor.Controls());
    std::string failure = m_editor.Confirm(PathExistsOnDisk);
    if (failure.empty()) {
      EndDialog(m_hWnd, IDOK);
    } else {
      ShowEditorMessage(m_hWnd, failure);
    }
  }

  void OnDropFiles(HDROP drop) override {
    std::vector<std::string> names = TakeDroppedNames(m_hWnd, drop);
    if (names.empty()) return;
    PullEditTexts(m_hWnd, &m_editor.Controls());
    m_editor.SetFolder(names.back());
    PushControlModel(m_hWnd, m_editor.Controls());
  }

  SqlTaskEditorContext m_context;
  CSqlTaskEditor m_editor;
};

}  // namespace

bool RunSqlTaskEditor(HWND owner, const SqlTaskEditorContext& context, SqlTaskEditorValues* values) {
  CSqlTaskDlg dialog(context);
  return dialog.Run(owner, values);
}

}  // namespace dorvik
