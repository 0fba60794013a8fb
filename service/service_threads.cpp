#include "service/service_threads.h"

#include <memory>
#include <vector>

#include "common/clock.h"
#include "common/file_system.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "config/document.h"
#include "jobs/backup_log.h"
#include "jobs/sql_access.h"
#include "jobs/sql_statements.h"
#include "service/backup_service.h"
#include "service/retention.h"
#include "service/service_clock.h"
#include "service/service_globals.h"
#include "service/service_job_reporter.h"
#include "service/task_watch.h"

namespace dorvik {

CThread g_Thread;

namespace {

// What every file job of the service runs with; built once, shared by the job threads (each
// part is safe to use from several threads at once).
FileJobEnvironment& ServiceJobEnvironment() {
  static std::unique_ptr<IBackupLog> log = MakeBackupLog(g_strProgramDir);
  static FileJobEnvironment env{g_strRarDir, g_strProgramDir, RealProcessRunner(), *log,
                                RealFileSystem(), SystemClock(), ServiceJobReporter()};
  return env;
}

void ReportThreadFailure(const char* what) {
  ReportServiceJobProblem(EVMSG_THREADFAILED, what);
}

// Creates a thread; a failure is reported and the handle is empty.
HANDLE StartThread(LPTHREAD_START_ROUTINE routine, LPVOID argument, const char* what) {
  HANDLE thread = CreateThread(nullptr, 0, routine, argument, 0, nullptr);
  if (!thread) ReportThreadFailure(what);
  return thread;
}

// A thread whose handle nobody waits on: started and released at once.
bool StartDetached(LPTHREAD_START_ROUTINE routine, LPVOID argument, const char* what) {
  HANDLE thread = StartThread(routine, argument, what);
  if (!thread) return false;
  CloseHandle(thread);
  return true;
}

struct FileJobStart {
  FileJobKind kind;
  FileBackupRequest request;
};

DWORD WINAPI FileJobThread(LPVOID pStart) {
  std::unique_ptr<FileJobStart> start(static_cast<FileJobStart*>(pStart));
  RunFileJob(start->kind, start->request, ServiceJobEnvironment());
  return 1;
}

void StartFileJob(FileJobKind kind, const FileBackupRequest& request) {
  // Each job owns its request, so jobs running at once never share one.
  auto* start = new FileJobStart{kind, request};
  if (!StartDetached(FileJobThread, start, "file backup job")) delete start;
}

void RunBackupProgram(const std::string& strIsCut, const std::string& strRecord) {
  const std::string commandLine = SqlBackupCommandLine(g_strProgramDir, strRecord, strIsCut);
  ProcessResult result = RunSqlBackupProgram(g_csSqlBackup, RealProcessRunner(),
                                             SqlBackupProgramPath(g_strProgramDir), commandLine);
  if (!result.started) {
    ReportServiceJobProblem(EVMSG_SQLPROGRAMFAILED, (commandLine + ": " + result.error).c_str());
  }
}

void StartTaskWatchers(const char* section, LPTHREAD_START_ROUTINE watcher, unsigned pauseMs) {
  for (const std::string& record : SplitRecords(section, ReadServiceDocument())) {
    if (pauseMs) Sleep(pauseMs);
    auto* text = new std::string(record);
    if (!StartDetached(watcher, text, "task watcher")) delete text;
  }
}

}  // namespace

std::string ReadServiceDocument() {
  std::unique_ptr<IConfigFile> file = MakeConfigFile(g_strConfigPath);
  return ReadConfigDocumentQuietly(*file);
}

void CThread::Start() { m_hStarter = StartThread(StartWorkers, this, "starter"); }

DWORD WINAPI CThread::StartWorkers(LPVOID pThread) {
  CThread* self = static_cast<CThread*>(pThread);
  self->DoInitSqlConnection();
  self->m_hWatchFile = StartThread(WatchFileThreadProc, nullptr, "file watch");
  self->m_hWatchSql = g_bSqlAvailable ? StartThread(WatchSqlThreadProc, nullptr, "SQL watch")
                                      : nullptr;
  self->m_hWatchDel = StartThread(WatchDelThreadProc, nullptr, "retention");
  return 1;
}

void CThread::DoInitSqlConnection() {
  std::string error;
  std::unique_ptr<ISqlConnection> connection = OpenSqlConnection(&error);
  std::vector<std::string> names;
  if (!connection ||
      !connection->QueryNames(kDatabaseListQuery, &names, &error)) {
    // No SQL Server here: its tasks are not watched until the service restarts. Normal on a
    // machine without one, so not an error entry.
    g_bSqlAvailable = false;
  }
}

DWORD WINAPI CThread::WatchFileThreadProc(LPVOID) {
  g_Thread.Backgroundbackups();
  return 1;
}

DWORD WINAPI CThread::WatchSqlThreadProc(LPVOID) {
  g_Thread.SqlBackgroundbackups();
  return 1;
}

DWORD WINAPI CThread::WatchDelThreadProc(LPVOID) {
  RunRetentionLoop(ServiceClock(), g_bStopping, [] {
    g_Thread.CleanSqlBackups();
    g_Thread.CleanFileBackups();
  });
  return 1;
}

void CThread::Backgroundbackups() { StartTaskWatchers("FileBackups", Background, 0); }

void CThread::SqlBackgroundbackups() {
  if (!g_bSqlAvailable) return;
  StartTaskWatchers("SqlBackups", SqlBackground, 100);
}

DWORD WINAPI CThread::Background(LPVOID pRecord) {
  const std::string record = *std::unique_ptr<std::string>(static_cast<std::string*>(pRecord));
  WatchFileTask(record, ServiceClock(), g_bStopping, StartFileJob);
  return 1;
}

DWORD WINAPI CThread::SqlBackground(LPVOID pRecord) {
  const std::string record = *std::unique_ptr<std::string>(static_cast<std::string*>(pRecord));
  WatchSqlTask(record, ServiceClock(), g_bStopping, RunBackupProgram);
  return 1;
}

void CThread::CleanFileBackups() {
  dorvik::CleanFileBackups(ReadServiceDocument(), g_strProgramDir + "Log", RealFileSystem(), SystemClock());
}

void CThread::CleanSqlBackups() {
  dorvik::CleanSqlBackups(ReadServiceDocument(), g_strProgramDir + "Log", RealFileSystem(), SystemClock());
}

}  // namespace dorvik
