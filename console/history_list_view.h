#pragma once
// The history browser's list: a virtual list view (LVS_OWNERDATA) over rows kept here, so a
// year of backups shows at once and sorting moves strings instead of list items.
#include <string>
#include <vector>

#include "common/win32.h"
#include "console/history_rows.h"
#include "console/list_sort.h"
#include "console/task_list_rows.h"

#include <commctrl.h>

namespace dorvik {

class CHistoryListView {
 public:
  void Attach(HWND list, const std::vector<ListColumn>& columns);
  void SetRows(std::vector<HistoryRow> rows);
  const std::vector<HistoryRow>& Rows() const { return m_rows; }
  int SelectionMark() const;
  // Answers the list's request for a text; true when the message was one.
  bool OnGetDispInfo(NMLVDISPINFOA* info);
  void Sort(const CListSortState& sort);

 private:
  HWND m_hList = nullptr;
  std::vector<HistoryRow> m_rows;
};

}  // namespace dorvik
