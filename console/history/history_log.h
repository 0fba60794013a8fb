#pragma once
// The backup log read back for the history browser: which lines of one log file name a backup
// of the browser's mode, and the file's content without the lines whose backup is gone.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dorvik {

enum class HistoryMode { File = 0, Sql = 1 };

// One log line naming a backup. [begin, end) is the line in the content, its line end excluded;
// the texts point into the content.
struct HistoryLogLine {
  std::size_t begin = 0, end = 0;
  std::string_view key;
  std::string_view source;  // file lines only; empty on SQL lines
  std::string_view output;
  // False for a line SQL mode took whose rest holds a pair of blanks: it may be a file backup's
  // line, which that mode must never remove.
  bool bRemovable = true;
};

// The lines a mode looks at, in file order. File mode takes every line with an output path (the
// source ends at the first pair of blanks after the time); SQL mode takes lines whose output file
// name holds "db_". Lines that do not parse as log lines are never taken, so never removed.
std::vector<HistoryLogLine> ReadHistoryLines(std::string_view content, HistoryMode mode);

// Whether the browser lists a line whose output exists: SQL lines always, file lines only with a
// source folder.
bool IsListedLine(const HistoryLogLine& line, HistoryMode mode);

// The content without the given lines (sorted, from ReadHistoryLines), each removed whole with
// its line end; blank lines are dropped too, every other line stays byte for byte.
std::string ContentWithoutLines(std::string_view content, const std::vector<HistoryLogLine>& gone);

}  // namespace dorvik
