// The file page of the main window: its list, the editor, deletion and the immediate backup.
#include "console/main_dlg.h"

#include "common/clock.h"
#include "common/file_system.h"
#include "config/document.h"
#include "config/file_task_record.h"
#include "console/editor_values_check.h"
#include "console/file_backup_start.h"
#include "console/file_task_dlg.h"
#include "console/job_reporters.h"
#include "console/last_backup_times.h"
#include "console/resource.h"
#include "console/shell_open.h"
#include "console/service_control.h"
#include "console/task_commands.h"
#include "console/ui_messages.h"
#include "jobs/process.h"

namespace dorvik {

void CMainDlg::FillFileList() {
  m_fileList.Fill(WithWarnings(FileTaskRows(DocumentRecords("FileBackups"), LoadLastBackupTimes(m_strProgramDir)),
                               kIdColumn, WarningsOf("file")));
}

bool CMainDlg::RunCheckedFileEditor(const std::string& record, FileTaskEditorValues* values) {
  if (!RunFileTaskEditor(m_hWnd, record, m_startup.strDefStorePath, values)) return false;
  const std::string unsafe = UnsafeFileTaskValues(*values);
  if (unsafe.empty()) return true;
  ShowText(unsafe);
  return false;
}

void CMainDlg::OnFileNew() {
  FileTaskEditorValues values;
  if (!RunCheckedFileEditor(std::string(), &values)) return;
  const bool bAdded = AddFileTask(m_store, BuildFileTaskRecord(values, &m_startup.nNextFileTaskId));
  if (!bAdded) ShowText(kConfigWriteFailed);
  FillFileList();
  if (bAdded) StartBackgroundRestart(false);
}

void CMainDlg::EditFileRow(int row) {
  const std::string id = m_fileList.Text(row, kIdColumn);
  std::string record;
  if (!FindFileTaskRecord(DocumentRecords("FileBackups"), id, &record)) {
    ShowText(kTaskNotInDocument);
    return;
  }
  FileTaskEditorValues values;
  if (!RunCheckedFileEditor(record, &values)) return;
  const TaskChange change =
      ChangeFileTask(m_store, id, BuildFileTaskRecord(values, &m_startup.nNextFileTaskId));
  ShowTaskChangeProblem(change);
  FillFileList();
  if (change == TaskChange::Done) StartBackgroundRestart(false);
}

void CMainDlg::OnFileDelete() {
  const int row = m_fileList.ChosenRow();
  if (row < 0) {
    ShowText(kNoTaskChosen);
    return;
  }
  if (Ask(FileDeleteQuestion(m_fileList.RowTexts(row))) == IDYES) {
    if (DeleteFileTask(m_store, m_fileList.Text(row, kIdColumn)) == TaskChange::Failed) {
      ShowText(kConfigWriteFailed);
    }
    FillFileList();
  }
  StartBackgroundRestart(false);
}

bool CMainDlg::ChooseFileRecord(std::string* record) {
  const int row = m_fileList.ChosenRow();
  if (row < 0) {
    ShowText(kNoTaskSelected);
    return false;
  }
  if (!FindFileTaskRecord(DocumentRecords("FileBackups"), m_fileList.Text(row, kIdColumn),
                          record)) {
    ShowText(kTaskNotInDocument);
    return false;
  }
  return true;
}

void CMainDlg::OnFileBackupNow() {
  std::string record;
  if (!ChooseFileRecord(&record)) return;
  if (!m_fileRuns.TryBegin(GetTag(record, "m_strID"))) {
    ShowText(kTaskRunGoing);
    return;
  }
  EnableWindow(Item(IDC_FILE_BACKUP_NOW), FALSE);
  m_workers.Start([this, record] { RunFileBackup(record); });
}

// On a worker thread: everything it has to say goes through the poster.
void CMainDlg::RunFileBackup(const std::string& record) {
  IFileSystem& files = RealFileSystem();
  const FileBackupStart start =
      PrepareFileBackup(record, [&files](const std::string& path) { return files.Exists(path); });
  CFileJobPoster reporter(m_hWnd, GetTag(record, "m_strID"), m_store, m_threadReactions);
  if (!start.strRefusal.empty()) {
    reporter.ReportFailure(start.strRefusal);
    reporter.RunEnded();
    return;
  }
  PostMessageA(m_hWnd, kMsgFileBackupBusy, 0, 0);
  FileJobEnvironment env{m_startup.strRarDir, m_strProgramDir, RealProcessRunner(), *m_pLog, files,
                         SystemClock(),       reporter};
  if (start.bArchive) {
    DoBackup(start.request, env);
  } else {
    DoBackupNocut(start.request, env);
  }
}

void CMainDlg::OpenFileFolder(bool bSource) {
  std::string record;
  if (!ChooseFileRecord(&record)) return;
  const std::string folder = GetTag(record, bSource ? "SouPath" : "DesPath");
  OpenWithShell(m_hWnd, nullptr, folder, SW_SHOWNORMAL);
}

}  // namespace dorvik
