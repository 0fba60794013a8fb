#pragma once
// One of the main window's task lists: a report-style list view with check boxes whose rows
// are TaskRows. Texts go in and out as ANSI (GBK) bytes.
#include <string>
#include <vector>

#include "common/win32.h"
#include <commctrl.h>

#include "config/task_changes.h"
#include "console/list_sort.h"
#include "console/task_list_rows.h"

namespace dorvik {

// Report-view columns with the extended styles every list of the console shares, plus `extraStyles`.
void SetUpReportColumns(HWND list, DWORD extraStyles, const ListColumn* columns, int count);

class CTaskListView {
 public:
  void Attach(HWND list, const ListColumn (&columns)[kListColumnCount]);
  HWND Handle() const { return m_hList; }

  void Fill(const std::vector<TaskRow>& rows);
  int RowCount() const;
  int SelectionMark() const;
  // The only row, or the row with the selection mark; -1 when none.
  int ChosenRow() const;
  std::string Text(int row, int column) const;
  std::vector<std::string> RowTexts(int row) const;
  std::vector<std::string> ColumnTexts(int column) const;
  void SetText(int row, int column, const std::string& text);
  // Column `column` of every row whose `keyColumn` equals `key` becomes `text`.
  void SetTextWhere(int keyColumn, const std::string& key, int column, const std::string& text);
  void DeleteRow(int row);
  // Column 0 numbered from 1 at the top.
  void Renumber();
  // Each row's identifier (column 7) with its check box state.
  std::vector<TaskCheck> Checks() const;
  // Sorts the rows by the state's column and direction.
  void Sort(const CListSortState& sort);
  // The row's warning (TaskRow::strWarning); empty for a healthy row.
  const std::string& Warning(int row) const;
  // NM_CUSTOMDRAW of this list: rows with a warning get the warning colours.
  LRESULT CustomDraw(NMLVCUSTOMDRAW* draw) const;

 private:
  HWND m_hList = nullptr;
  // Each row's lParam indexes this list, so a warning follows its row through sorts and deletions.
  std::vector<std::string> m_rowWarnings;
};

}  // namespace dorvik
