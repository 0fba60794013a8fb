#include "console/window/file_task_page.h"

#include "common/clock.h"
#include "common/file_system.h"
#include "config/document.h"
#include "config/file_task_record.h"
#include "console/core/file_backup_start.h"
#include "console/core/last_backup_times.h"
#include "console/dialogs/message_box.h"
#include "console/dialogs/shell_open.h"
#include "console/dialogs/ui_messages.h"
#include "console/editors/editor_values_check.h"
#include "console/editors/file_task_dlg.h"
#include "console/resource.h"
#include "console/window/job_reporters.h"
#include "jobs/process.h"

namespace dorvik {

namespace {
const TaskPageControls kFilePageControls = {
    IDC_FILE_LIST,       IDC_FILE_NEW,     IDC_FILE_MODIFY,     IDC_FILE_DELETE,
    IDC_FILE_BACKUP_NOW, IDC_FILE_HISTORY, IDR_MENU_FILE_ROW,   IDR_MENU_FILE_EMPTY,
};
}  // namespace

CFileTaskPage::CFileTaskPage(TaskPageContext& context, ITaskPageHost& host)
    : CTaskPage(TaskKind::File, kFilePageControls, context, host) {}

void CFileTaskPage::Fill() {
  m_list.SetRows(WithTaskWarnings(FileTaskRows(DocumentRecords(), LoadLastBackupTimes(m_context.strProgramDir))));
}

bool CFileTaskPage::OnWorkerMessage(UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case kMsgFileBackupBusy:
      SetItemText(IDC_FILE_BACKUP_NOW, "备份中...");
      return true;
    case kMsgFileStatus:
      ShowLastBackup(lParam);
      return true;
    case kMsgFileRunEnded:
      m_runs.End(*TakePosted<std::string>(lParam));
      RestoreBackupButton();
      return true;
    default:
      return false;
  }
}

void CFileTaskPage::OnShown() {
  m_list.Renumber();
  if (m_list.RowCount() == 0 &&
      ShowMessageBox(m_hWnd, "您还没有设置需要备份的文件夹，是否现在设置？", MB_YESNO | MB_ICONQUESTION,
                     "设置备份文件夹") == IDYES) {
    OnNew();
  }
}

bool CFileTaskPage::RunCheckedEditor(const std::string& record, FileTaskEditorValues* values) {
  return RunFileTaskEditor(m_hWnd, record, m_context.startup.strDefStorePath, values) &&
         Storable(UnsafeFileTaskValues(*values));
}

void CFileTaskPage::OnNew() {
  FileTaskEditorValues values;
  if (!RunCheckedEditor(std::string(), &values)) return;
  const bool bAdded =
      AddFileTask(m_context.store, BuildFileTaskRecord(values, &m_context.startup.nNextFileTaskId));
  if (!bAdded) ShowText(kConfigWriteFailed);
  Fill();
  AfterEdit(TaskEdit::Add, bAdded ? TaskEditEnd::Done : TaskEditEnd::Failed);
}

void CFileTaskPage::EditRow(int row) {
  const std::string id = m_list.Text(row, kIdColumn);
  std::string record;
  if (!FindFileTaskRecord(DocumentRecords(), id, &record)) {
    ShowText(kTaskNotInDocument);
    return;
  }
  FileTaskEditorValues values;
  if (!RunCheckedEditor(record, &values)) return;
  const TaskChange change =
      ChangeFileTask(m_context.store, id, BuildFileTaskRecord(values, &m_context.startup.nNextFileTaskId));
  ShowTaskChangeProblem(change);
  Fill();
  AfterEdit(TaskEdit::Change, EditEndOf(change));
}

void CFileTaskPage::OnDelete() {
  const int row = m_list.ChosenRow();
  if (row < 0) {
    ShowText(kNoTaskChosen);
    return;
  }
  TaskEditEnd end = TaskEditEnd::Declined;
  if (Ask(FileDeleteQuestion(m_list.RowTexts(row))) == IDYES) {
    const TaskChange change = DeleteFileTask(m_context.store, m_list.Text(row, kIdColumn));
    if (change == TaskChange::Failed) ShowText(kConfigWriteFailed);
    Fill();
    end = EditEndOf(change);
  }
  AfterEdit(TaskEdit::Delete, end);
}

bool CFileTaskPage::ChooseRecord(std::string* record) {
  const int row = m_list.ChosenRow();
  if (row < 0) {
    ShowText(kNoTaskSelected);
    return false;
  }
  if (!FindFileTaskRecord(DocumentRecords(), m_list.Text(row, kIdColumn), record)) {
    ShowText(kTaskNotInDocument);
    return false;
  }
  return true;
}

void CFileTaskPage::OnBackupNow() {
  std::string record;
  if (!ChooseRecord(&record)) return;
  if (!m_runs.TryBegin(GetTag(record, "m_strID"))) {
    ShowText(kTaskRunGoing);
    return;
  }
  EnableWindow(Item(IDC_FILE_BACKUP_NOW), FALSE);
  m_context.workers.Start([this, record] { RunBackup(record); });
}

// On a worker thread: everything it has to say goes through the poster.
void CFileTaskPage::RunBackup(const std::string& record) {
  const FileBackupStart start = PrepareFileBackup(record, PathExistsOnDisk);
  CFileJobPoster reporter(m_hWnd, GetTag(record, "m_strID"), m_context.store, m_context.threadReactions);
  if (!start.strRefusal.empty()) {
    reporter.ReportFailure(start.strRefusal);
    reporter.RunEnded();
    return;
  }
  PostMessageA(m_hWnd, kMsgFileBackupBusy, 0, 0);
  FileJobEnvironment env{m_context.startup.strRarDir, m_context.strProgramDir, RealProcessRunner(),
                         m_context.log, RealFileSystem(), SystemClock(), reporter};
  if (start.bArchive) {
    DoBackup(start.request, env);
  } else {
    DoBackupNocut(start.request, env);
  }
}

void CFileTaskPage::OpenHistory() { ShowHistory(nullptr, {}); }

void CFileTaskPage::OpenFolder(bool bSource) {
  std::string record;
  if (!ChooseRecord(&record)) return;
  OpenWithShell(m_hWnd, nullptr, GetTag(record, bSource ? "SouPath" : "DesPath"), SW_SHOWNORMAL);
}

TaskChange CFileTaskPage::StoreChecks(const std::vector<TaskCheck>& checks, std::vector<std::string>* missingIds) {
  return SetFileTaskChecks(m_context.store, checks, missingIds);
}

}  // namespace dorvik
