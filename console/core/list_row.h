#pragma once
// What a report list of the console shows: its columns and its rows, kept in C++ so the lists
// never read their texts back from the controls.
#include <string>
#include <vector>

namespace dorvik {

struct ListColumn {
  const char* title;
  int width;  // pixels; 0 keeps the column present but hidden
};

struct ListRow {
  std::vector<std::string> texts;  // one per column
  bool bChecked = true;            // the check box, in lists that have them
  std::string strWarning;          // why the row needs attention; empty when it does not
};

}  // namespace dorvik
