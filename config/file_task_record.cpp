#include "config/file_task_record.h"

#include "common/text.h"
#include "config/config_store.h"
#include "config/document.h"

namespace dorvik {

namespace {

const TaskSection& FileTasks() {
  static const TaskSection kind{"FileBackups", "m_strID", {"Check", "status"}};
  return kind;
}

const char* CompressionText(int mode) {
  if (mode == 1) return "是";
  if (mode == 3) return "否";
  return "备份后压缩";
}

std::string DayRuleText(const FileTaskEditorValues& values) {
  if (values.strDayMode == "每天") return "每天";
  if (values.strDayMode == "每周") return "每周" + std::to_string(values.nWeekday);
  if (values.strDayMode == "每月") return "每月" + values.strMonthDayText + "号";
  return values.strDayMode;  // a yearly date carried from the record
}

}  // namespace

FileTaskRecord ReadFileTaskRecord(const std::string& recordText) {
  FileTaskRecord record;
  record.m_strCheck = GetTag(recordText, "Check");
  record.m_strSouPath = GetTag(recordText, "SouPath");
  record.m_strDesPath = GetTag(recordText, "DesPath");
  record.m_strFile = GetTag(recordText, "strfile");
  record.m_strStatus = GetTag(recordText, "status");
  record.m_strIsCut = GetTag(recordText, "striscut");
  record.m_strDate = GetTag(recordText, "strdate");
  record.m_strTime = GetTag(recordText, "m_strtime");
  record.m_strID = GetTag(recordText, "m_strID");
  record.m_strIsSave = GetTag(recordText, "strissave");
  return record;
}

std::string FileTaskRecordText(const FileTaskRecord& record) {
  return JoinRecordFields({
      {"Check", record.m_strCheck},     {"SouPath", record.m_strSouPath},
      {"DesPath", record.m_strDesPath}, {"strfile", record.m_strFile},
      {"status", record.m_strStatus},   {"striscut", record.m_strIsCut},
      {"strdate", record.m_strDate},    {"m_strtime", record.m_strTime},
      {"m_strID", record.m_strID},      {"strissave", record.m_strIsSave},
  });
}

std::string BuildFileTaskRecord(const FileTaskEditorValues& values, long long* nextFileTaskId) {
  FileTaskRecord record;
  record.m_strCheck = values.bNewTask ? "YES" : values.strCheck;
  record.m_strSouPath = TrimRight(values.strSouPath);
  record.m_strDesPath = TrimRight(values.strDesPath);
  record.m_strFile = "!" + values.strScope + "/!" + "@" + values.strListKind + "/@" + "#" +
                     values.strList + "/#" + "$" + values.strDirection + "/$";
  record.m_strStatus = values.bNewTask ? "-" : values.strStatus;
  record.m_strIsCut = CompressionText(values.nCompressMode);
  record.m_strDate = DayRuleText(values);
  record.m_strTime = values.strHours;
  if (values.bNewTask) {
    record.m_strID = std::to_string(++*nextFileTaskId);
  } else {
    record.m_strID = std::to_string(LeadingNumber(values.strID));
  }
  record.m_strIsSave =
      values.bKeep ? std::string("保留") : "删除" + std::to_string(values.nDays) + "天以前的";
  return FileTaskRecordText(record);
}

long long NextFileTaskId(const std::vector<std::string>& records) {
  if (records.empty()) return 0;
  return LeadingNumber(GetTag(records.back(), "m_strID"));
}

bool FindFileTaskRecord(const std::vector<std::string>& records, const std::string& id,
                        std::string* recordText) {
  return FindTaskRecord(records, FileTasks().idTag, id, recordText);
}

bool AddFileTask(CConfigStore& store, const std::string& recordText) {
  return store.AppendFileTaskRecord(recordText + kRecordSeparator);
}

TaskChange ChangeFileTask(CConfigStore& store, const std::string& id,
                          const std::string& newRecordText) {
  return ChangeTaskRecord(store, FileTasks(), id, newRecordText);
}

TaskChange DeleteFileTask(CConfigStore& store, const std::string& id) {
  return DeleteTaskRecord(store, FileTasks(), id);
}

TaskChange SetFileTaskChecks(CConfigStore& store, const std::vector<TaskCheck>& checks,
                             std::vector<std::string>* missingIds) {
  return SetTaskChecks(store, FileTasks(), checks, missingIds);
}

}  // namespace dorvik
