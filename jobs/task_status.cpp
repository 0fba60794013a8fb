#include "jobs/task_status.h"

#include "common/text.h"
#include "config/document.h"

namespace dorvik {

std::string UpdateTaskStatus(CConfigStore& store, IConfigReactions& reactions, IClock& clock,
                             const std::string& strRecord) {
  const std::string timeText = FormatLocalTime(clock.Now(), "%Y-%m-%d %H:%M:%S");
  const std::string oldStatus = "<status>" + GetTagValue(strRecord, "<status>", "</status>") + "</status>";
  const std::string newRecord = ReplaceAll(strRecord, oldStatus, "<status>" + timeText + "</status>");
  bool readSucceeded = false;
  bool ok = store.UpdateConfigDocument([&](const std::string& document) {
    readSucceeded = true;
    return ReplaceAll(document, strRecord, newRecord);
  });
  if (ok) return timeText;
  // A failed read has shown its own message already; only a failed write ends the console.
  if (readSucceeded) {
    reactions.ShowMessage("配置文件打开失败", MessageIcon::None);
    reactions.EndProgram();
  }
  return std::string();
}

}  // namespace dorvik
