#pragma once
// Record-level changes of config.db shared by file and SQL Server tasks: a record is found by
// its identifier tag in the current document, under the update lock, and replaced in place.
#include <string>
#include <vector>

namespace dorvik {

class CConfigStore;

enum class TaskChange {
  Done,      // written (or nothing needed writing)
  NotFound,  // no record carries the identifier; the document is unchanged
  Failed,    // the document could not be read or written; it is unchanged
};

struct TaskCheck {
  std::string strID;
  bool bChecked = true;
};

// How one kind of record is found and which of its values a change keeps from the stored one.
struct TaskSection {
  const char* section;       // "FileBackups" or "SqlBackups"
  const char* idTag;         // "m_strID" or "id"
  std::vector<std::string> keptTags;  // taken from the stored record on a change
};

// The first record of the section holding "<idTag>" + id + "</idTag>".
bool FindTaskRecord(const std::vector<std::string>& records, const std::string& idTag,
                    const std::string& id, std::string* recordText);

TaskChange ChangeTaskRecord(CConfigStore& store, const TaskSection& kind, const std::string& id,
                            const std::string& newRecordText);
TaskChange DeleteTaskRecord(CConfigStore& store, const TaskSection& kind, const std::string& id);
TaskChange SetTaskChecks(CConfigStore& store, const TaskSection& kind,
                         const std::vector<TaskCheck>& checks,
                         std::vector<std::string>* missingIds);

// The record with only its Check value set to "YES" or "NO".
std::string WithCheck(const std::string& recordText, bool checked);

}  // namespace dorvik
