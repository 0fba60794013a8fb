#include "health/run_outcome.h"

#include "jobs/log_scan.h"

namespace dorvik {

namespace {

// The file job's success message: this text, then the output's path.
const char kSuccessPrefix[] = "操作成功！备份文件：";

}  // namespace

void CRunOutcomeReporter::ReportSuccess(const std::string& message) {
  if (message.rfind(kSuccessPrefix, 0) == 0) m_outputs.push_back(message.substr(sizeof kSuccessPrefix - 1));
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
    std::string_view rest = line.substr(fields.restBegin);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (!rest.empty()) outputs.emplace_back(rest);
  });
  return outputs;
}

}  // namespace dorvik
