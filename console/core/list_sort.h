#pragma once
// The header-click sort shared by both task lists: one column and one direction for both.
#include <string>

namespace dorvik {

// <0, 0, >0 as a sorts before, with or after b in the given column: column 0 (the row number)
// compares leading decimal numbers, every other column compares texts ignoring ASCII case.
int CompareListTexts(int column, const std::string& a, const std::string& b);

class CListSortState {
 public:
  // A header click: sorts by `column` in the current direction, then the direction flips for
  // the next click on any column of either list.
  void Click(int column) {
    m_nSortColumn = column;
    m_bAscending = m_bNextAscending;
    m_bNextAscending = !m_bNextAscending;
  }
  int Column() const { return m_nSortColumn; }
  // Order of two rows' texts for the click just made.
  int Compare(const std::string& a, const std::string& b) const {
    int order = CompareListTexts(m_nSortColumn, a, b);
    return m_bAscending ? order : -order;
  }

 private:
  int m_nSortColumn = -1;
  bool m_bAscending = true;
  bool m_bNextAscending = true;
};

}  // namespace dorvik
