#pragma once
// A file backup task: one record of the FileBackups section of config.db.
#include <string>
#include <vector>

#include "config/task_changes.h"

namespace dorvik {

class CConfigStore;

// The fields in stored order; each holds the text between its tags.
struct FileTaskRecord {
  std::string m_strCheck;    // Check: "YES" or "NO"
  std::string m_strSouPath;  // SouPath
  std::string m_strDesPath;  // DesPath
  std::string m_strFile;     // strfile: "!P1/!@P2/@#P3/#$P4/$"
  std::string m_strStatus;   // status: "-" or the time of the last run
  std::string m_strIsCut;    // striscut: "是", "否" or "备份后压缩"
  std::string m_strDate;     // strdate: the day rule
  std::string m_strTime;     // m_strtime: the hours
  std::string m_strID;       // m_strID
  std::string m_strIsSave;   // strissave: "保留" or "删除N天以前的"
};

// Missing fields read as empty values.
FileTaskRecord ReadFileTaskRecord(const std::string& recordText);
// The record text: fields in order, four blanks between them, no separator.
std::string FileTaskRecordText(const FileTaskRecord& record);

// What the file task editor leaves when it closes with OK.
struct FileTaskEditorValues {
  bool bNewTask = true;
  std::string strCheck;        // previous Check value (changed tasks)
  std::string strStatus;       // previous status (changed tasks)
  std::string strID;           // previous identifier (changed tasks)
  std::string strSouPath, strDesPath;
  std::string strScope, strListKind, strList, strDirection;  // the four filter parts
  int nCompressMode = 1;       // 1 direct, 2 after backup, 3 none
  bool bKeep = true;
  long long nDays = 30;
  std::string strDayMode = "每天";  // "每天", "每周", "每月" or a yearly date kept as it was
  int nWeekday = 1;
  std::string strMonthDayText;
  std::string strHours;
};

// Builds the record text (without separator). A new task takes *nextFileTaskId + 1 and moves
// the counter on.
std::string BuildFileTaskRecord(const FileTaskEditorValues& values, long long* nextFileTaskId);

// The identifier of the last record, 0 when there is none: new tasks continue from it.
long long NextFileTaskId(const std::vector<std::string>& records);

// The first record holding "<m_strID>" + id + "</m_strID>"; false when none does.
bool FindFileTaskRecord(const std::vector<std::string>& records, const std::string& id,
                        std::string* recordText);

// Writers. Each is one locked read-modify-write of config.db.
bool AddFileTask(CConfigStore& store, const std::string& recordText);
// Replaces the task with this identifier. Check and status are taken from the stored record,
// so a run that finished while the editor was open keeps its status.
TaskChange ChangeFileTask(CConfigStore& store, const std::string& id,
                          const std::string& newRecordText);
TaskChange DeleteFileTask(CConfigStore& store, const std::string& id);
// Writes each row's check state into its record's Check value; ids without a record are listed
// in *missingIds (the console reports each) and skipped.
TaskChange SetFileTaskChecks(CConfigStore& store, const std::vector<TaskCheck>& checks,
                             std::vector<std::string>* missingIds);

}  // namespace dorvik
