#pragma once
// Reading the backup log back: every key's latest time in one log file's content. Lines are
// parsed where they lie in the content, without copies, since a year of logs holds millions.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dorvik {

// A log time as seconds counted on the calendar as written, with no time zone or daylight saving,
// so times compare and print without a local-time call per line. Fields out of range carry over
// as mktime carries them (month 13 is January of the next year, second 60 the next minute).
using LogStamp = std::int64_t;

// Key -> latest time of one log file; the keys point into the scanned content. An open-addressing
// table: the standard one's node handling and bucket division cost more than the rest of a line.
class CLogKeyTimes {
 public:
  struct Slot {
    std::string_view key;
    LogStamp when = 0;
    bool bUsed = false;
  };

  void Clear();  // keeps the room for the next file
  void Raise(std::string_view key, LogStamp when);  // keeps the later of the two times
  const std::vector<Slot>& Slots() const { return m_slots; }  // unused ones have bUsed false

 private:
  std::size_t Find(std::string_view key) const;  // the key's slot or the free one it would take
  std::vector<Slot> m_slots = std::vector<Slot>(256);  // a power of two, at most half used
  std::size_t m_nUsed = 0;
};

struct LogLineFields {
  std::string_view key;     // the first blank-separated piece
  LogStamp when = 0;        // the second and third pieces, joined by a blank
  std::size_t restBegin = 0;  // where the text after the third piece begins
};

// One line's fields, as splitting at blanks (empty pieces vanish) and reading the second and
// third pieces, joined by a blank, with "%d-%d-%d %d:%d:%d" give them. False for a line that
// does not parse or names no real time.
bool ParseLogLine(std::string_view line, LogLineFields* fields);

// What follows a parsed line's time, its leading blanks removed: a SQL Server line's output path,
// a file line's source and output.
std::string_view LogLineRest(std::string_view line, const LogLineFields& fields);

// A file line's rest: the source runs up to its first pair of blanks (its padding), the output
// follows. Without such a pair the source is empty and the whole rest is the output.
void SplitFileLineRest(std::string_view rest, std::string_view* source, std::string_view* output);

// Calls visit(begin, end, after) for every line of a log file's content: [begin, end) is the line
// without its end (LF, with an optional CR before it), `after` where the next line begins. The last
// line needs no line end.
template <class Visit>
void ForEachLogLine(std::string_view content, Visit visit) {
  std::size_t begin = 0;
  while (begin < content.size()) {
    const std::size_t next = content.find('\n', begin);
    const std::size_t end = next == std::string_view::npos ? content.size() : next;
    const std::size_t after = next == std::string_view::npos ? content.size() : next + 1;
    visit(begin, end > begin && content[end - 1] == '\r' ? end - 1 : end, after);
    begin = after;
  }
}

// Adds the times of every line of one log file's content that parses: the key is the line's first
// blank-separated piece, the time its second and third read with "%d-%d-%d %d:%d:%d". Times not
// after the "no backup" time 2000-01-01 01:01:01 never count. A line ends at LF, with an optional
// CR before it; the last line needs no line end. Lines of any length count.
void ScanLogContent(std::string_view content, CLogKeyTimes* latest);

// "%Y-%m-%d %H:%M:%S"
std::string FormatLogStamp(LogStamp when);

}  // namespace dorvik
