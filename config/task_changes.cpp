#include "config/task_changes.h"

#include "common/text.h"
#include "config/config_store.h"
#include "config/document.h"

namespace dorvik {

bool FindTaskRecord(const std::vector<std::string>& records, const std::string& idTag,
                    const std::string& id, std::string* recordText) {
  // Both tags belong to the key, so id 1 never matches a record with id 11.
  const std::string key = Tagged(idTag, id);
  for (const std::string& record : records) {
    if (Contains(record, key)) {
      *recordText = record;
      return true;
    }
  }
  return false;
}

namespace {

// Runs `edit` on the stored text of the record with this id inside one locked update.
// `edit` returns the document to write.
template <typename Edit>
TaskChange EditTaskRecord(CConfigStore& store, const TaskSection& kind, const std::string& id,
                          Edit edit) {
  bool found = false;
  bool written = store.UpdateConfigDocument([&](const std::string& document) {
    std::string current;
    found = FindTaskRecord(SplitRecords(kind.section, document), kind.idTag, id, &current);
    return found ? edit(document, current) : document;
  });
  if (!written) return TaskChange::Failed;
  return found ? TaskChange::Done : TaskChange::NotFound;
}

}  // namespace

TaskChange ChangeTaskRecord(CConfigStore& store, const TaskSection& kind, const std::string& id,
                            const std::string& newRecordText) {
  return EditTaskRecord(store, kind, id, [&](const std::string& document,
                                             const std::string& current) {
    std::string replacement = newRecordText;
    for (const std::string& tag : kind.keptTags) SetTag(&replacement, tag, GetTag(current, tag));
    return ReplaceAll(document, current, replacement);
  });
}

TaskChange DeleteTaskRecord(CConfigStore& store, const TaskSection& kind, const std::string& id) {
  return EditTaskRecord(store, kind, id, [](const std::string& document,
                                            const std::string& current) {
    return ReplaceAll(document, current + kRecordSeparator, std::string());
  });
}

TaskChange SetTaskChecks(CConfigStore& store, const TaskSection& kind,
                         const std::vector<TaskCheck>& checks,
                         std::vector<std::string>* missingIds) {
  missingIds->clear();
  bool written = store.UpdateConfigDocument([&](const std::string& document) {
    missingIds->clear();
    const std::vector<std::string> records = SplitRecords(kind.section, document);
    std::string changed = document;
    for (const TaskCheck& check : checks) {
      std::string current;
      if (!FindTaskRecord(records, kind.idTag, check.strID, &current)) {
        missingIds->push_back(check.strID);
        continue;
      }
      // Most rows keep their state; rewriting only the others keeps a long list cheap.
      std::string updated = WithCheck(current, check.bChecked);
      if (updated != current) changed = ReplaceAll(changed, current, updated);
    }
    return changed;
  });
  if (!written) return TaskChange::Failed;
  return missingIds->empty() ? TaskChange::Done : TaskChange::NotFound;
}

std::string WithCheck(const std::string& recordText, bool checked) {
  std::string changed = recordText;
  SetTag(&changed, "Check", checked ? "YES" : "NO");
  return changed;
}

}  // namespace dorvik
