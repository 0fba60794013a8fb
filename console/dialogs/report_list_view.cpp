#include "console/dialogs/report_list_view.h"

#include <algorithm>

#include "console/core/task_commands.h"
#include "console/core/task_list_rows.h"

namespace dorvik {

namespace {

// Dark red on pale red: legible whatever the system colours, and unlike the selection highlight.
constexpr COLORREF kWarningText = RGB(0xA0, 0x00, 0x00);
constexpr COLORREF kWarningBackground = RGB(0xFF, 0xD8, 0xD8);
const std::string kNoText;
const std::vector<std::string> kNoTexts;
const ListRow kNoRow;

struct SortContext {
  const std::vector<ListRow>* rows;
  const CListSortState* sort;
};

// LVM_SORTITEMS hands over each item's lParam: the index of its row.
int CALLBACK CompareRows(LPARAM index1, LPARAM index2, LPARAM context) {
  const SortContext* c = reinterpret_cast<const SortContext*>(context);
  const int column = c->sort->Column();
  const auto text = [&](LPARAM index) -> const std::string& {
    const std::vector<std::string>& texts = (*c->rows)[static_cast<std::size_t>(index)].texts;
    return column >= 0 && column < static_cast<int>(texts.size()) ? texts[column] : kNoText;
  };
  return c->sort->Compare(text(index1), text(index2));
}

}  // namespace

void CReportListView::Attach(HWND list, const ListColumn* columns, int count, bool bCheckBoxes) {
  m_hList = list;
  m_bVirtual = (GetWindowLongA(list, GWL_STYLE) & LVS_OWNERDATA) != 0;
  ListView_SetExtendedListViewStyle(
      list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_TWOCLICKACTIVATE |
                LVS_EX_FLATSB | LVS_EX_INFOTIP | (bCheckBoxes ? LVS_EX_CHECKBOXES : 0));
  for (int i = 0; i < count; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[i].width;
    column.pszText = const_cast<char*>(columns[i].title);
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
}

void CReportListView::SetRows(std::vector<ListRow> rows) {
  m_rows = std::move(rows);
  if (m_bVirtual) {
    ListView_SetItemState(m_hList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(m_hList, -1);
    ListView_SetItemCountEx(m_hList, static_cast<int>(m_rows.size()), 0);
    InvalidateRect(m_hList, nullptr, TRUE);
    return;
  }
  SendMessageA(m_hList, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(m_hList);
  for (std::size_t i = 0; i < m_rows.size(); ++i) {
    const std::vector<std::string>& texts = m_rows[i].texts;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.lParam = static_cast<LPARAM>(i);
    item.pszText = const_cast<char*>(texts.empty() ? "" : texts[0].c_str());
    const int row = static_cast<int>(SendMessageA(m_hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (std::size_t column = 1; column < texts.size(); ++column)
      SetItemText(row, static_cast<int>(column), texts[column]);
    ListView_SetCheckState(m_hList, row, m_rows[i].bChecked);
  }
  SendMessageA(m_hList, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_hList, nullptr, TRUE);
}

int CReportListView::RowCount() const {
  return m_bVirtual ? static_cast<int>(m_rows.size()) : ListView_GetItemCount(m_hList);
}

int CReportListView::SelectionMark() const {
  const int row = ListView_GetSelectionMark(m_hList);
  return row >= 0 && row < RowCount() ? row : -1;
}

int CReportListView::ChosenRow() const { return dorvik::ChosenRow(RowCount(), SelectionMark()); }

std::size_t CReportListView::IndexOf(int row) const {
  if (row < 0) return m_rows.size();
  if (m_bVirtual) return static_cast<std::size_t>(row);
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageA(m_hList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return m_rows.size();
  return static_cast<std::size_t>(item.lParam);
}

const std::vector<std::string>& CReportListView::RowTexts(int row) const {
  const std::size_t index = IndexOf(row);
  return index < m_rows.size() ? m_rows[index].texts : kNoTexts;
}

const std::string& CReportListView::Text(int row, int column) const {
  const std::vector<std::string>& texts = RowTexts(row);
  return column >= 0 && column < static_cast<int>(texts.size()) ? texts[column] : kNoText;
}

std::vector<std::string> CReportListView::ColumnTexts(int column) const {
  std::vector<std::string> texts;
  for (int row = 0; row < RowCount(); ++row) texts.push_back(Text(row, column));
  return texts;
}

const std::string& CReportListView::Warning(int row) const {
  const std::size_t index = IndexOf(row);
  return index < m_rows.size() ? m_rows[index].strWarning : kNoText;
}

bool CReportListView::IsChecked(int row) const { return ListView_GetCheckState(m_hList, row) != 0; }

void CReportListView::SetItemText(int row, int column, const std::string& text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(m_hList, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void CReportListView::SetTextWhere(int keyColumn, const std::string& key, int column,
                                   const std::string& text) {
  for (int row = 0; row < RowCount(); ++row) {
    const std::size_t index = IndexOf(row);
    if (index >= m_rows.size() || Text(row, keyColumn) != key) continue;
    std::vector<std::string>& texts = m_rows[index].texts;
    if (column < 0 || column >= static_cast<int>(texts.size())) continue;
    texts[column] = text;
    if (m_bVirtual) {
      ListView_RedrawItems(m_hList, row, row);
    } else {
      SetItemText(row, column, text);
    }
  }
}

// A removed row's data stays behind its index until the next SetRows: the other items' lParams
// keep pointing at theirs.
void CReportListView::DeleteRow(int row) {
  if (m_bVirtual) {
    if (row < 0 || row >= RowCount()) return;
    m_rows.erase(m_rows.begin() + row);
    ListView_SetItemCountEx(m_hList, static_cast<int>(m_rows.size()), 0);
    return;
  }
  ListView_DeleteItem(m_hList, row);
}

void CReportListView::Renumber() {
  for (int row = 0; row < RowCount(); ++row) {
    const std::size_t index = IndexOf(row);
    if (index >= m_rows.size() || m_rows[index].texts.empty()) continue;
    m_rows[index].texts[0] = RowNumberText(row);
    if (!m_bVirtual) SetItemText(row, 0, m_rows[index].texts[0]);
  }
  if (m_bVirtual) InvalidateRect(m_hList, nullptr, TRUE);
}

void CReportListView::Sort(const CListSortState& sort) {
  const int column = sort.Column();
  if (column < 0) return;
  if (!m_bVirtual) {
    SortContext context{&m_rows, &sort};
    SendMessageA(m_hList, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                 reinterpret_cast<LPARAM>(&CompareRows));
    return;
  }
  std::stable_sort(m_rows.begin(), m_rows.end(), [&](const ListRow& a, const ListRow& b) {
    const std::string& left = column < static_cast<int>(a.texts.size()) ? a.texts[column] : kNoText;
    const std::string& right = column < static_cast<int>(b.texts.size()) ? b.texts[column] : kNoText;
    return sort.Compare(left, right) < 0;
  });
  InvalidateRect(m_hList, nullptr, TRUE);
}

bool CReportListView::OnNotify(const NMHDR* header, LRESULT* result) {
  if (header->hwndFrom != m_hList) return false;
  if (header->code == LVN_GETDISPINFOA) {
    AnswerText(reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header)));
    *result = 0;
    return true;
  }
  if (header->code == NM_CUSTOMDRAW) {
    *result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header)));
    return true;
  }
  return false;
}

void CReportListView::AnswerText(NMLVDISPINFOA* info) const {
  LVITEMA& item = info->item;
  if ((item.mask & LVIF_TEXT) == 0 || item.cchTextMax <= 0) return;
  const std::string& text = Text(item.iItem, item.iSubItem);
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  text.copy(item.pszText, length);
  item.pszText[length] = '\0';
}

LRESULT CReportListView::CustomDraw(NMLVCUSTOMDRAW* draw) const {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      // A virtual list's items carry no lParam: dwItemSpec is the row as shown.
      const std::size_t index = m_bVirtual ? static_cast<std::size_t>(draw->nmcd.dwItemSpec)
                                           : static_cast<std::size_t>(draw->nmcd.lItemlParam);
      if (index >= m_rows.size() || m_rows[index].strWarning.empty()) return CDRF_DODEFAULT;
      draw->clrText = kWarningText;
      draw->clrTextBk = kWarningBackground;
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

}  // namespace dorvik
