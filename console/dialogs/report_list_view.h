#pragma once
// Every report list of the console (the two task lists, the history): columns, shared styles,
// rows kept here, check boxes, warning colours and the header-click sort. A list whose template
// has LVS_OWNERDATA is virtual (the history: a year of backups shows at once); the others hold
// items whose lParam is the row's index here, so a row's data follows it through sorts and
// deletions. Texts go in and out as ANSI (GBK) bytes.
#include <string>
#include <vector>

#include "common/win32.h"
#include "console/core/list_row.h"
#include "console/core/list_sort.h"

#include <commctrl.h>

namespace dorvik {

class CReportListView {
 public:
  void Attach(HWND list, const ListColumn* columns, int count, bool bCheckBoxes);
  HWND Handle() const { return m_hList; }

  // The rows top to bottom; no row selected afterwards.
  void SetRows(std::vector<ListRow> rows);
  int RowCount() const;
  // The row with the selection mark; -1 when none.
  int SelectionMark() const;
  // The only row, or the row with the selection mark; -1 when none.
  int ChosenRow() const;
  // Rows are counted as shown, from the top.
  const std::string& Text(int row, int column) const;
  const std::vector<std::string>& RowTexts(int row) const;
  std::vector<std::string> ColumnTexts(int column) const;
  // The row's warning (ListRow::strWarning); empty for a healthy row.
  const std::string& Warning(int row) const;
  // The check box as the user left it.
  bool IsChecked(int row) const;
  // Column `column` of every row whose `keyColumn` equals `key` becomes `text`.
  void SetTextWhere(int keyColumn, const std::string& key, int column, const std::string& text);
  void DeleteRow(int row);
  // Column 0 numbered from 1 at the top.
  void Renumber();
  // Sorts the rows by the state's column and direction.
  void Sort(const CListSortState& sort);

  // This list's texts (LVN_GETDISPINFO) and colours (NM_CUSTOMDRAW); false when `header` is
  // neither or not from this list. `*result` is the notification's answer.
  bool OnNotify(const NMHDR* header, LRESULT* result);

 private:
  std::size_t IndexOf(int row) const;
  void SetItemText(int row, int column, const std::string& text);
  LRESULT CustomDraw(NMLVCUSTOMDRAW* draw) const;
  void AnswerText(NMLVDISPINFOA* info) const;

  HWND m_hList = nullptr;
  bool m_bVirtual = false;
  // In shown order for a virtual list; otherwise in insertion order, found through lParam.
  std::vector<ListRow> m_rows;
};

}  // namespace dorvik
