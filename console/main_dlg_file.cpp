// The file page of the main window: its list, the editor, deletion and the immediate backup.
#include "console/main_dlg.h"

#include <shellapi.h>

#include <thread>

#include "common/clock.h"
#include "common/file_system.h"
#include "config/document.h"
#include "config/file_task_record.h"
#include "console/editor_values_check.h"
#include "console/file_task_dlg.h"
#include "console/job_reporters.h"
#include "console/last_backup_times.h"
#include "console/resource.h"
#include "console/service_control.h"
#include "console/task_commands.h"
#include "console/ui_messages.h"
#include "jobs/process.h"

namespace dorvik {

void CMainDlg::FillFileList() {
  m_fileList.Fill(FileTaskRows(DocumentRecords("FileBackups"), LoadLastBackupTimes(m_strProgramDir)));
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
  values.bNewTask = true;
  if (!AddFileTask(m_store, BuildFileTaskRecord(values, &m_startup.nNextFileTaskId))) {
    ShowText(kConfigWriteFailed);
  }
  FillFileList();
  StartBackgroundRestart(false);
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
  values.bNewTask = false;
  values.strCheck = GetTag(record, "Check");
  values.strStatus = GetTag(record, "status");
  values.strID = id;
  const TaskChange change = ChangeFileTask(m_store, id, BuildFileTaskRecord(values, &m_startup.nNextFileTaskId));
  if (change == TaskChange::NotFound) ShowText(kTaskNotInDocument);
  if (change == TaskChange::Failed) ShowText(kConfigWriteFailed);
  FillFileList();
  StartBackgroundRestart(false);
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
  if (!FindFileTaskRecord(DocumentRecords("FileBackups"), m_fileList.Text(row, kIdColumn), record)) {
    ShowText(kTaskNotInDocument);
    return false;
  }
  return true;
}

void CMainDlg::OnFileBackupNow() {
  std::string record;
  if (!ChooseFileRecord(&record)) return;
  EnableWindow(Item(IDC_FILE_BACKUP_NOW), FALSE);
  std::thread([this, record] { RunFileBackup(record); }).detach();
}

// On a worker thread: everything it has to say goes through the poster.
void CMainDlg::RunFileBackup(const std::string& record) {
  const FileTaskRecord task = ReadFileTaskRecord(record);
  CFileJobPoster reporter(m_hWnd, task.m_strID, m_store, m_threadReactions);
  IFileSystem& files = RealFileSystem();
  const char* refusal = !files.Exists(task.m_strSouPath)   ? "源文件路径不存在！"
                        : !files.Exists(task.m_strDesPath) ? "目标文件路径不存在！"
                        : task.m_strIsCut != "是" && task.m_strIsCut != "否" &&
                                  task.m_strIsCut != "备份后压缩"
                            ? "压缩出错"
                            : nullptr;
  if (refusal) {
    reporter.ReportFailure(refusal);
    reporter.RunEnded();
    return;
  }
  PostMessageA(m_hWnd, kMsgFileBackupBusy, 0, 0);
  FileBackupRequest request{record, task.m_strSouPath, task.m_strDesPath, task.m_strFile,
                            task.m_strIsCut == "备份后压缩"};
  FileJobEnvironment env{m_startup.strRarDir, m_strProgramDir, RealProcessRunner(), *m_pLog,
                         files, SystemClock(), reporter};
  if (task.m_strIsCut == "是") {
    DoBackup(request, env);
  } else {
    DoBackupNocut(request, env);
  }
}

void CMainDlg::OpenFileFolder(bool bSource) {
  std::string record;
  if (!ChooseFileRecord(&record)) return;
  const std::string folder = GetTag(record, bSource ? "SouPath" : "DesPath");
  ShellExecuteA(m_hWnd, nullptr, folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace dorvik
