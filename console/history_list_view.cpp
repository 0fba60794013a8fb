#include "console/history_list_view.h"

#include <algorithm>

#include "console/task_list_view.h"

namespace dorvik {

void CHistoryListView::Attach(HWND list, const std::vector<ListColumn>& columns) {
  m_hList = list;
  SetUpReportColumns(m_hList, 0, columns.data(), static_cast<int>(columns.size()));
}

void CHistoryListView::SetRows(std::vector<HistoryRow> rows) {
  m_rows = std::move(rows);
  ListView_SetItemState(m_hList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetSelectionMark(m_hList, -1);
  ListView_SetItemCountEx(m_hList, static_cast<int>(m_rows.size()), 0);
  InvalidateRect(m_hList, nullptr, TRUE);
}

int CHistoryListView::SelectionMark() const {
  const int row = ListView_GetSelectionMark(m_hList);
  return row >= 0 && row < static_cast<int>(m_rows.size()) ? row : -1;
}

bool CHistoryListView::OnGetDispInfo(NMLVDISPINFOA* info) {
  if (info->hdr.hwndFrom != m_hList || info->hdr.code != LVN_GETDISPINFOA) return false;
  LVITEMA& item = info->item;
  const std::size_t row = static_cast<std::size_t>(item.iItem);
  if ((item.mask & LVIF_TEXT) == 0 || row >= m_rows.size() || item.cchTextMax <= 0) return true;
  const std::vector<std::string>& texts = m_rows[row];
  const std::string text = item.iSubItem >= 0 && item.iSubItem < static_cast<int>(texts.size())
                               ? texts[item.iSubItem] : std::string();
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  text.copy(item.pszText, length);
  item.pszText[length] = '\0';
  return true;
}

void CHistoryListView::Sort(const CListSortState& sort) {
  const int column = sort.Column();
  if (column < 0 || m_rows.empty() || column >= static_cast<int>(m_rows[0].size())) return;
  std::stable_sort(m_rows.begin(), m_rows.end(), [&](const HistoryRow& a, const HistoryRow& b) {
    return sort.Compare(a[column], b[column]) < 0;
  });
  InvalidateRect(m_hList, nullptr, TRUE);
}

}  // namespace dorvik
