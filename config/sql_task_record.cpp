#include "config/sql_task_record.h"

#include <algorithm>

#include "common/gbk.h"
#include "common/text.h"
#include "config/config_store.h"
#include "config/document.h"

namespace dorvik {

namespace {

const TaskSection& SqlTasks() {
  static const TaskSection kind{"SqlBackups", "id", {"status"}};
  return kind;
}

}  // namespace

SqlTaskRecord ReadSqlTaskRecord(const std::string& recordText) {
  SqlTaskRecord record;
  record.m_strCheck = GetTag(recordText, "Check");
  record.m_strSqlName = GetTag(recordText, "sqlname");
  record.m_strSqlPath = GetTag(recordText, "sqlpath");
  record.m_strDesPath = GetTag(recordText, "despath");
  record.m_strIsCut = GetTag(recordText, "iscut");
  record.m_strDate = GetTag(recordText, "date");
  record.m_strTime = GetTag(recordText, "time");
  record.m_strStatus = GetTag(recordText, "status");
  record.m_strNum = GetTag(recordText, "num");
  record.m_strID = GetTag(recordText, "id");
  record.m_strProjectName = GetTag(recordText, "projectname");
  record.m_strIsSave = GetTag(recordText, "issave");
  return record;
}

std::string SqlTaskRecordText(const SqlTaskRecord& record) {
  return JoinRecordFields({
      {"Check", record.m_strCheck},     {"sqlname", record.m_strSqlName},
      {"sqlpath", record.m_strSqlPath}, {"despath", record.m_strDesPath},
      {"iscut", record.m_strIsCut},     {"date", record.m_strDate},
      {"time", record.m_strTime},       {"status", record.m_strStatus},
      {"num", record.m_strNum},         {"id", record.m_strID},
      {"projectname", record.m_strProjectName}, {"issave", record.m_strIsSave},
  });
}

std::string BuildSqlTaskRecord(const SqlTaskEditorValues& values, int knownDatabases) {
  SqlTaskRecord record;
  record.m_strCheck = "YES";
  record.m_strSqlName = values.strSqlName;
  record.m_strSqlPath = TrimBoth(values.strStoreText);
  record.m_strDesPath = WithoutTrailingBackslash(values.strStoreText);
  record.m_strIsCut = values.strIsCut;
  record.m_strDate = values.strDate;
  record.m_strTime = values.strTime;
  record.m_strStatus = values.bNewTask ? "-" : values.strStatus;
  record.m_strNum = std::to_string(values.strSqlName == kAllDatabases ? knownDatabases
                                                                       : values.nSelectedCount);
  record.m_strID = values.strID;
  record.m_strProjectName = TrimRight(values.strProjectName);
  record.m_strIsSave = values.strIsSave;
  return SqlTaskRecordText(record);
}

long long NextSqlTaskId(const std::vector<std::string>& records) {
  long long largest = 0;
  for (const std::string& record : records) {
    largest = std::max(largest, LeadingNumber(GetTag(record, "id")));
  }
  return largest + 1;
}

bool FindSqlTaskRecord(const std::vector<std::string>& records, const std::string& id,
                       std::string* recordText) {
  return FindTaskRecord(records, SqlTasks().idTag, id, recordText);
}

bool AddSqlTask(CConfigStore& store, const std::string& recordText) {
  return store.AppendSqlTaskRecord(recordText + kRecordSeparator);
}

TaskChange ChangeSqlTask(CConfigStore& store, const std::string& id,
                         const std::string& newRecordText) {
  return ChangeTaskRecord(store, SqlTasks(), id, newRecordText);
}

TaskChange DeleteSqlTask(CConfigStore& store, const std::string& id) {
  return DeleteTaskRecord(store, SqlTasks(), id);
}

TaskChange SetSqlTaskChecks(CConfigStore& store, const std::vector<TaskCheck>& checks,
                            std::vector<std::string>* missingIds) {
  return SetTaskChecks(store, SqlTasks(), checks, missingIds);
}

}  // namespace dorvik
