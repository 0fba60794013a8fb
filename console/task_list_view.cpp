#include "console/task_list_view.h"

#include <commctrl.h>

#include "console/task_commands.h"

namespace dorvik {

namespace {

// Dark red on pale red: legible whatever the system colours, and unlike the selection highlight.
constexpr COLORREF kWarningText = RGB(0xA0, 0x00, 0x00);
constexpr COLORREF kWarningBackground = RGB(0xFF, 0xD8, 0xD8);
const std::string kNoWarning;

struct SortContext {
  const CTaskListView* list;
  const CListSortState* sort;
};

// LVM_SORTITEMSEX hands over row indices, so both rows' texts can be read during the sort.
int CALLBACK CompareRows(LPARAM row1, LPARAM row2, LPARAM context) {
  const SortContext* c = reinterpret_cast<const SortContext*>(context);
  const int column = c->sort->Column();
  return c->sort->Compare(c->list->Text(static_cast<int>(row1), column),
                          c->list->Text(static_cast<int>(row2), column));
}

}  // namespace

void SetUpReportColumns(HWND list, DWORD extraStyles, const ListColumn* columns, int count) {
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP |
                                              LVS_EX_TWOCLICKACTIVATE | LVS_EX_FLATSB | LVS_EX_INFOTIP |
                                              extraStyles);
  for (int i = 0; i < count; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[i].width;
    column.pszText = const_cast<char*>(columns[i].title);
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
}

void CTaskListView::Attach(HWND list, const ListColumn (&columns)[kListColumnCount]) {
  m_hList = list;
  SetUpReportColumns(m_hList, LVS_EX_CHECKBOXES, columns, kListColumnCount);
}

void CTaskListView::Fill(const std::vector<TaskRow>& rows) {
  SendMessageA(m_hList, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(m_hList);
  m_rowWarnings.clear();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    m_rowWarnings.push_back(rows[i].strWarning);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.lParam = static_cast<LPARAM>(i);
    item.pszText = const_cast<char*>(rows[i].texts[0].c_str());
    int row = static_cast<int>(
        SendMessageA(m_hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (int column = 1; column < kListColumnCount; ++column)
      SetText(row, column, rows[i].texts[column]);
    ListView_SetCheckState(m_hList, row, rows[i].bChecked);
  }
  SendMessageA(m_hList, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_hList, nullptr, TRUE);
}

int CTaskListView::RowCount() const { return ListView_GetItemCount(m_hList); }

int CTaskListView::SelectionMark() const { return ListView_GetSelectionMark(m_hList); }

int CTaskListView::ChosenRow() const { return dorvik::ChosenRow(RowCount(), SelectionMark()); }

std::string CTaskListView::Text(int row, int column) const {
  std::vector<char> buffer(1024);
  for (;;) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    LRESULT length = SendMessageA(m_hList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    if (static_cast<std::size_t>(length) + 1 < buffer.size())
      return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 4);  // the text filled the buffer: it may have been cut
  }
}

std::vector<std::string> CTaskListView::RowTexts(int row) const {
  std::vector<std::string> texts;
  for (int column = 0; column < kListColumnCount; ++column) texts.push_back(Text(row, column));
  return texts;
}

std::vector<std::string> CTaskListView::ColumnTexts(int column) const {
  std::vector<std::string> texts;
  for (int row = 0; row < RowCount(); ++row) texts.push_back(Text(row, column));
  return texts;
}

void CTaskListView::SetText(int row, int column, const std::string& text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(m_hList, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void CTaskListView::SetTextWhere(int keyColumn, const std::string& key, int column,
                                 const std::string& text) {
  for (int row = 0; row < RowCount(); ++row) {
    if (Text(row, keyColumn) == key) SetText(row, column, text);
  }
}

void CTaskListView::DeleteRow(int row) { ListView_DeleteItem(m_hList, row); }

void CTaskListView::Renumber() {
  for (int row = 0; row < RowCount(); ++row) SetText(row, 0, RowNumberText(row));
}

std::vector<TaskCheck> CTaskListView::Checks() const {
  std::vector<TaskCheck> checks;
  for (int row = 0; row < RowCount(); ++row) {
    checks.push_back({Text(row, kIdColumn), ListView_GetCheckState(m_hList, row) != 0});
  }
  return checks;
}

void CTaskListView::Sort(const CListSortState& sort) {
  SortContext context{this, &sort};
  SendMessageA(m_hList, LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(&context),
               reinterpret_cast<LPARAM>(&CompareRows));
}

const std::string& CTaskListView::Warning(int row) const {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageA(m_hList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return kNoWarning;
  const std::size_t index = static_cast<std::size_t>(item.lParam);
  return index < m_rowWarnings.size() ? m_rowWarnings[index] : kNoWarning;
}

LRESULT CTaskListView::CustomDraw(NMLVCUSTOMDRAW* draw) const {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const std::size_t index = static_cast<std::size_t>(draw->nmcd.lItemlParam);
      if (index >= m_rowWarnings.size() || m_rowWarnings[index].empty()) return CDRF_DODEFAULT;
      draw->clrText = kWarningText;
      draw->clrTextBk = kWarningBackground;
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

}  // namespace dorvik
