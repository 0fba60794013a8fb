#pragma once
// A SQL Server backup task: one record of the SqlBackups section of config.db.
#include <string>
#include <vector>

#include "config/task_changes.h"

namespace dorvik {

class CConfigStore;

constexpr const char* kAllDatabases = "所有数据库";

// The fields in stored order; each holds the text between its tags.
struct SqlTaskRecord {
  std::string m_strCheck;        // Check
  std::string m_strSqlName;      // sqlname: names joined by "," or "所有数据库"
  std::string m_strSqlPath;      // sqlpath
  std::string m_strDesPath;      // despath
  std::string m_strIsCut;        // iscut: "是" or "否"
  std::string m_strDate;         // date: the day rule
  std::string m_strTime;         // time: the hours
  std::string m_strStatus;       // status
  std::string m_strNum;          // num: how many databases
  std::string m_strID;           // id
  std::string m_strProjectName;  // projectname
  std::string m_strIsSave;       // issave
};

SqlTaskRecord ReadSqlTaskRecord(const std::string& recordText);
// The record text: fields in order, four blanks between them, no separator.
std::string SqlTaskRecordText(const SqlTaskRecord& record);

// What the SQL Server task editor leaves when it closes with OK.
struct SqlTaskEditorValues {
  bool bNewTask = true;
  std::string strSqlName;   // the selected names joined by ",", or "所有数据库"
  std::string strStoreText; // the storage folder as typed
  std::string strIsCut = "是";
  std::string strDate;      // the day rule the editor built
  std::string strTime;
  std::string strStatus;    // the loaded status (changed tasks)
  int nSelectedCount = 0;   // entries of the selected list
  std::string strID;
  std::string strProjectName;
  std::string strIsSave;
};

// Builds the record text (without separator); `knownDatabases` is the number of user databases
// the console knows, stored as the count of an all-databases task. Always written enabled.
std::string BuildSqlTaskRecord(const SqlTaskEditorValues& values, int knownDatabases);

// One more than the largest identifier listed (1 for an empty list).
long long NextSqlTaskId(const std::vector<std::string>& records);

bool FindSqlTaskRecord(const std::vector<std::string>& records, const std::string& id,
                       std::string* recordText);

// Writers. Each is one locked read-modify-write of config.db.
bool AddSqlTask(CConfigStore& store, const std::string& recordText);
// Replaces the task with this identifier; its status is taken from the stored record.
TaskChange ChangeSqlTask(CConfigStore& store, const std::string& id,
                         const std::string& newRecordText);
TaskChange DeleteSqlTask(CConfigStore& store, const std::string& id);
TaskChange SetSqlTaskChecks(CConfigStore& store, const std::vector<TaskCheck>& checks,
                            std::vector<std::string>* missingIds);

}  // namespace dorvik
