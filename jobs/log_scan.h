#pragma once
// Reading the backup log back: every key's latest time in one log file's content. Lines are
// parsed where they lie in the content, without copies, since a year of logs holds millions.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace dorvik {

// A log time as seconds counted on the calendar as written, with no time zone or daylight saving,
// so times compare and print without a local-time call per line. Fields out of range carry over
// as mktime carries them (month 13 is January of the next year, second 60 the next minute).
using LogStamp = std::int64_t;

// Key -> latest time; the keys point into the scanned content.
using LogKeyTimes = std::unordered_map<std::string_view, LogStamp>;

// Adds the times of every line of one log file's content that parses: the key is the line's first
// blank-separated piece, the time its second and third read with "%d-%d-%d %d:%d:%d". Times not
// after the "no backup" time 2000-01-01 01:01:01 never count. A line ends at LF, with an optional
// CR before it; the last line needs no line end. Lines of any length count.
void ScanLogContent(std::string_view content, LogKeyTimes* latest);

// "%Y-%m-%d %H:%M:%S"
std::string FormatLogStamp(LogStamp when);

}  // namespace dorvik
