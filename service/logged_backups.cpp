#include "service/logged_backups.h"

#include <algorithm>

namespace dorvik {

namespace {

// A file line names its output only after its source folder.
std::string_view FileLineOutput(std::string_view rest) {
  std::string_view source, output;
  SplitFileLineRest(rest, &source, &output);
  return source.empty() ? std::string_view() : output;
}

}  // namespace

CLoggedBackups::CLoggedBackups(IFileSystem& files, const std::string& logFolder,
                               const std::set<std::string>& keys) {
  std::string content;
  for (const DirectoryEntry& entry : files.ListDirectory(logFolder)) {
    if (entry.isDirectory) continue;
    // A log that cannot be read names no backups: retention falls back to the names on disk.
    if (!files.ReadWholeFile(logFolder + "\\" + entry.name, &content)) continue;
    const std::string_view text = content;
    ForEachLogLine(text, [&](std::size_t begin, std::size_t end, std::size_t) {
      const std::string_view line = text.substr(begin, end - begin);
      LogLineFields fields;
      if (!ParseLogLine(line, &fields) || keys.count(std::string(fields.key)) == 0) return;
      std::vector<CLine>& lines = m_lines[std::string(fields.key)];
      lines.push_back(CLine{fields.when, std::string(LogLineRest(line, fields))});
      if (lines.size() >= 2 * kKeptPerKey) KeepNewest(&lines, kKeptPerKey);
    });
  }
  for (auto& key : m_lines) KeepNewest(&key.second, kKeptPerKey);
}

void CLoggedBackups::KeepNewest(std::vector<CLine>* lines, std::size_t count) {
  std::stable_sort(lines->begin(), lines->end(), [](const CLine& a, const CLine& b) { return a.when > b.when; });
  if (lines->size() > count) lines->resize(count);
}

std::vector<LoggedOutput> CLoggedBackups::FileOutputs(const std::string& key) const {
  return Outputs(key, true);
}

std::vector<LoggedOutput> CLoggedBackups::SqlOutputs(const std::string& key) const {
  return Outputs(key, false);
}

std::vector<LoggedOutput> CLoggedBackups::Outputs(const std::string& key, bool bFileLines) const {
  std::vector<LoggedOutput> outputs;
  auto found = m_lines.find(key);
  if (found == m_lines.end()) return outputs;
  for (const CLine& line : found->second) {
    const std::string path(bFileLines ? FileLineOutput(line.strRest) : std::string_view(line.strRest));
    if (!path.empty()) outputs.push_back(LoggedOutput{line.when, path});
  }
  return outputs;
}

}  // namespace dorvik
