#pragma once
// The file page of the main window: its list, the editor, deletion, the immediate backup (one
// run per task at a time) and the task's folders.
#include <string>
#include <vector>

#include "console/core/task_run_guard.h"
#include "console/editors/file_task_editor.h"
#include "console/window/task_page.h"

namespace dorvik {

class CFileTaskPage : public CTaskPage {
 public:
  CFileTaskPage(TaskPageContext& context, ITaskPageHost& host);

  void Fill() override;
  bool OnWorkerMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The page is shown: rows numbered afresh, and a first task offered when there is none.
  void OnShown();

 private:
  void OnNew() override;
  void EditRow(int row) override;
  void OnDelete() override;
  void OnBackupNow() override;
  void OpenHistory() override;
  void OpenFolder(bool bSource) override;
  TaskChange StoreChecks(const std::vector<TaskCheck>& checks, std::vector<std::string>* missingIds) override;

  // The editor, then the check that its values can be stored; false when nothing is to be saved.
  bool RunCheckedEditor(const std::string& record, FileTaskEditorValues* values);
  // The chosen row's record (current file record); false after its message.
  bool ChooseRecord(std::string* record);
  // On a worker thread.
  void RunBackup(const std::string& record);

  CTaskRunGuard m_runs;  // file tasks with a run going, by m_strID
};

}  // namespace dorvik
