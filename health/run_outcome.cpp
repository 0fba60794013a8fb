#include "health/run_outcome.h"

#include "jobs/log_scan.h"

namespace dorvik {

void CRunOutcomeReporter::ReportSuccess(const std::string& message) {
  const std::string prefix = kFileJobSuccessPrefix;
  if (message.rfind(prefix, 0) == 0) m_outputs.push_back(message.substr(prefix.size()));
  m_inner.ReportSuccess(message);
}

void CRunOutcomeReporter::ReportFailure(const std::string& message) {
  m_strFailure += (m_strFailure.empty() ? "" : "\n") + message;
  m_inner.ReportFailure(message);
}

std::string CRunOutcomeReporter::Failure() const {
  if (!m_strFailure.empty() || !m_outputs.empty()) return m_strFailure;
  return "备份未完成，没有生成备份文件";
}

std::uint64_t OutputBytes(IFileSystem& files, const std::string& path) {
  DirectoryEntry entry;
  if (!files.Stat(path, &entry) || entry.isLink) return 0;
  if (!entry.isDirectory) return entry.size;
  std::uint64_t total = 0;
  for (const DirectoryEntry& child : files.ListDirectory(path)) {
    if (child.isLink) continue;
    total += child.isDirectory ? OutputBytes(files, path + "\\" + child.name) : child.size;
  }
  return total;
}

std::vector<std::string> LoggedSqlOutputs(const std::string& logContent, const std::string& key,
                                          const std::string& startText) {
  std::vector<std::string> outputs;
  ForEachLogLine(logContent, [&](std::size_t begin, std::size_t end, std::size_t) {
    const std::string_view line(logContent.data() + begin, end - begin);
    LogLineFields fields;
    if (!ParseLogLine(line, &fields) || fields.key != key || FormatLogStamp(fields.when) < startText) return;
    const std::string_view output = LogLineRest(line, fields);
    if (!output.empty()) outputs.emplace_back(output);
  });
  return outputs;
}

}  // namespace dorvik
