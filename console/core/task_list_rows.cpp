#include "console/core/task_list_rows.h"

#include "common/text.h"
#include "config/document.h"

namespace dorvik {

const ListColumn kFileListColumns[kListColumnCount] = {
    {"ID", 25},       {"备份文件夹路径", 191}, {"是否压缩", 75}, {"", 0},
    {"备份日期", 75}, {"最后备份时间", 95},    {"存储时间", 99}, {"ID", 0},
};

const ListColumn kSqlListColumns[kListColumnCount] = {
    {"ID", 25},       {"任务", 60},         {"存储路径", 131}, {"压缩存储", 75},
    {"备份周期", 75}, {"最后备份时间", 95}, {"存储时间", 99},  {"ID", 0},
};

namespace {

constexpr int kFirstShownYear = 2012;

std::vector<ListRow> NumberedFromTop(std::vector<ListRow> rowsInDocumentOrder) {
  std::vector<ListRow> rows(rowsInDocumentOrder.rbegin(), rowsInDocumentOrder.rend());
  for (std::size_t i = 0; i < rows.size(); ++i)
    rows[i].texts[0] = RowNumberText(static_cast<int>(i));
  return rows;
}

}  // namespace

std::string FileLastBackupText(const std::string& logTime) {
  if (logTime == kNoBackupTime || LeadingNumber(logTime) < kFirstShownYear) return "-";
  return logTime;
}

std::string SqlLastBackupText(const std::string& logTime) {
  return logTime == kNoBackupTime ? "-" : logTime;
}

std::vector<ListRow> WithWarnings(std::vector<ListRow> rows, int keyColumn,
                                  const TaskWarnings& warnings) {
  for (ListRow& row : rows) {
    auto found = warnings.find(row.texts[keyColumn]);
    if (found != warnings.end()) row.strWarning = found->second;
  }
  return rows;
}

std::string RowNumberText(int rowIndex) { return std::to_string(rowIndex + 1); }

std::vector<ListRow> FileTaskRows(const std::vector<std::string>& records,
                                  const LastBackupTimes& times) {
  std::vector<ListRow> rows;
  for (const std::string& record : records) {
    const std::string id = GetTag(record, "m_strID");
    rows.push_back(
        {{"", GetTag(record, "SouPath"), GetTag(record, "striscut"), "", GetTag(record, "strdate"),
          FileLastBackupText(times.For(id)), GetTag(record, "strissave"), id},
         GetTag(record, "Check") != "NO", ""});
  }
  return NumberedFromTop(std::move(rows));
}

std::vector<ListRow> SqlTaskRows(const std::vector<std::string>& records,
                                 const LastBackupTimes& times) {
  std::vector<ListRow> rows;
  for (const std::string& record : records) {
    const std::string name = GetTag(record, "projectname");
    rows.push_back(
        {{"", name, GetTag(record, "despath"), GetTag(record, "iscut"), GetTag(record, "date"),
          SqlLastBackupText(times.For(name)), GetTag(record, "issave"), GetTag(record, "id")},
         GetTag(record, "Check") != "NO", ""});
  }
  return NumberedFromTop(std::move(rows));
}

}  // namespace dorvik
