#include "console/history/history_log.h"

#include "common/gbk.h"
#include "jobs/log_scan.h"

namespace dorvik {

namespace {

bool IsBlankLine(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

}  // namespace

std::vector<HistoryLogLine> ReadHistoryLines(std::string_view content, HistoryMode mode) {
  std::vector<HistoryLogLine> lines;
  ForEachLogLine(content, [&](std::size_t begin, std::size_t end, std::size_t) {
    std::string_view text = content.substr(begin, end - begin);
    LogLineFields fields;
    if (text.empty() || !ParseLogLine(text, &fields)) return;
    std::string_view rest = LogLineRest(text, fields);
    HistoryLogLine line;
    line.begin = begin;
    line.end = end;
    line.key = fields.key;
    if (mode == HistoryMode::File) {
      std::string_view source, output;
      SplitFileLineRest(rest, &source, &output);
      if (output.empty()) return;
      line.source = source;
      line.output = output;
    } else {
      line.output = rest;
      line.bRemovable = rest.find("  ") == std::string_view::npos;
      if (LastPathComponent(std::string(rest)).find("db_") == std::string::npos) return;
    }
    lines.push_back(line);
  });
  return lines;
}

bool IsListedLine(const HistoryLogLine& line, HistoryMode mode) {
  return mode == HistoryMode::Sql || !line.source.empty();
}

std::string ContentWithoutLines(std::string_view content, const std::vector<HistoryLogLine>& gone) {
  std::string kept;
  kept.reserve(content.size());
  std::size_t next = 0;
  ForEachLogLine(content, [&](std::size_t begin, std::size_t end, std::size_t after) {
    while (next < gone.size() && gone[next].begin < begin) ++next;
    const bool bGone = next < gone.size() && gone[next].begin == begin;
    if (bGone || IsBlankLine(content.substr(begin, end - begin))) return;
    kept.append(content.substr(begin, after - begin));
  });
  return kept;
}

}  // namespace dorvik
