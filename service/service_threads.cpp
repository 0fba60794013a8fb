#include "service/service_threads.h"

#include <memory>
#include <vector>

#include "common/clock.h"
#include "common/file_system.h"
#include "common/gbk.h"
#include "common/scoped_handle.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "config/document.h"
#include "health/run_outcome.h"
#include "jobs/backup_log.h"
#include "jobs/sql_access.h"
#include "jobs/sql_statements.h"
#include "service/backup_service.h"
#include "service/retention.h"
#include "service/service_clock.h"
#include "service/service_globals.h"
#include "service/service_health.h"
#include "service/service_job_reporter.h"
#include "service/task_watch.h"
#include "tools/backup/backup_exit_code.h"

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

// A task watcher holds a few strings and, for a SQL Server task, waits for Backup.exe: a small
// stack is plenty, and with one watcher per task the default reservation would cost a megabyte
// each. Job threads walk folder trees and keep the default.
constexpr SIZE_T kWatcherStackBytes = 256 * 1024;

// Creates a thread (stackBytes 0: the program's default reservation); a failure is reported
// and the handle is empty.
CKernelHandle StartThread(LPTHREAD_START_ROUTINE routine, LPVOID argument, const char* what,
                          SIZE_T stackBytes = 0) {
  CKernelHandle thread(CreateThread(nullptr, stackBytes, routine, argument,
                                    stackBytes ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0, nullptr));
  if (!thread) ReportThreadFailure(what);
  return thread;
}

// A thread whose handle nobody waits on: started and released at once.
bool StartDetached(LPTHREAD_START_ROUTINE routine, LPVOID argument, const char* what,
                   SIZE_T stackBytes = 0) {
  return static_cast<bool>(StartThread(routine, argument, what, stackBytes));
}

struct FileJobStart {
  FileJobKind kind;
  FileBackupRequest request;
};

std::string FileTaskKey(const FileBackupRequest& request) { return GetTag(request.strRecord, "m_strID"); }

DWORD WINAPI FileJobThread(LPVOID pStart) {
  std::unique_ptr<FileJobStart> start(static_cast<FileJobStart*>(pStart));
  const FileJobEnvironment& shared = ServiceJobEnvironment();
  // The job's own reporter, so its outcome is this run's alone.
  CRunOutcomeReporter reporter(shared.reporter);
  FileJobEnvironment env{shared.strRarDir, shared.strProgramDir, shared.processes, shared.log,
                         shared.files, shared.clock, reporter};
  RunOutcome outcome;
  outcome.start = ServiceNow();
  RunFileJob(start->kind, start->request, env);
  outcome.end = ServiceNow();
  outcome.bSucceeded = reporter.Succeeded();
  outcome.strFailure = reporter.Failure();
  for (const std::string& output : reporter.Outputs()) outcome.nOutputBytes += OutputBytes(env.files, output);
  RecordRunEnd("file", FileTaskKey(start->request), outcome);
  return 1;
}

void StartFileJob(FileJobKind kind, const FileBackupRequest& request) {
  RecordRunStart("file", FileTaskKey(request));
  // Each job owns its request, so jobs running at once never share one.
  auto* start = new FileJobStart{kind, request};
  if (StartDetached(FileJobThread, start, "file backup job")) return;
  delete start;
  const std::int64_t now = ServiceNow();
  RecordRunEnd("file", FileTaskKey(request), {now, now, false, "备份线程无法启动", 0});
}

// The bytes of what Backup.exe logged for the task since the run began.
std::uint64_t SqlOutputBytes(const std::string& key, const LocalTime& start) {
  std::string content;
  const std::string log = g_strProgramDir + "Log\\" + FormatLocalTime(start, "%Y_%m_%d.log");
  // No log, no known output: the size stays 0 and the run's outcome is still its exit code.
  if (!RealFileSystem().ReadWholeFile(log, &content)) return 0;
  std::uint64_t total = 0;
  for (const std::string& output : LoggedSqlOutputs(content, key, FormatLocalTime(start, "%Y-%m-%d %H:%M:%S"))) {
    total += OutputBytes(RealFileSystem(), output);
  }
  return total;
}

// The command line goes through the system's Unicode form on its way to Backup.exe: a byte
// sequence that is not well-formed GBK would arrive changed, naming another database.
bool RefuseMalformedSqlRecord(const std::string& key, const std::string& strRecord) {
  if (IsWellFormedGbk(strRecord)) return false;
  const std::string reason = "任务记录含有无效的 GBK 字符，没有启动 Backup.exe";
  ReportServiceJobProblem(EVMSG_SQLRECORDMALFORMED, (key + "：" + reason).c_str());
  const std::int64_t now = ServiceNow();
  RecordRunEnd("sql", key, {now, now, false, reason, 0});
  return true;
}

void RunBackupProgram(const std::string& strIsCut, const std::string& strRecord) {
  const std::string key = GetTag(strRecord, "projectname");
  if (RefuseMalformedSqlRecord(key, strRecord)) return;
  RecordRunStart("sql", key);
  const LocalTime start = ServiceClock().Now();
  RunOutcome outcome;
  outcome.start = ToEpochSeconds(start);
  const std::string commandLine = SqlBackupCommandLine(g_strProgramDir, strRecord, strIsCut);
  ProcessResult result = RunSqlBackupProgram(g_csSqlBackup, RealProcessRunner(),
                                             SqlBackupProgramPath(g_strProgramDir), commandLine);
  outcome.end = ServiceNow();
  outcome.bSucceeded = result.Succeeded();
  if (!result.started) {
    ReportServiceJobProblem(EVMSG_SQLPROGRAMFAILED, (commandLine + ": " + result.error).c_str());
    outcome.strFailure = "Backup.exe 无法启动：" + result.error;
  } else if (!outcome.bSucceeded) {
    outcome.strFailure = "Backup.exe 退出码 " + std::to_string(result.exitCode) + "：" +
                         DescribeBackupExitCode(result.exitCode) + "（详见事件 200）";
  } else {
    outcome.nOutputBytes = SqlOutputBytes(key, start);
  }
  RecordRunEnd("sql", key, outcome);
}

void StartTaskWatchers(const char* section, LPTHREAD_START_ROUTINE watcher, unsigned pauseMs) {
  for (const std::string& record : SplitRecords(section, ReadServiceDocument())) {
    if (pauseMs) Sleep(pauseMs);
    auto* text = new std::string(record);
    if (!StartDetached(watcher, text, "task watcher", kWatcherStackBytes)) delete text;
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
  StartHealthMonitor(ReadServiceDocument());
  StartDetached(HealthThreadProc, nullptr, "health");
  self->m_hWatchFile = StartThread(WatchFileThreadProc, nullptr, "file watch");
  if (g_bSqlAvailable) self->m_hWatchSql = StartThread(WatchSqlThreadProc, nullptr, "SQL watch");
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
    const std::size_t nDeleted = g_Thread.CleanSqlBackups();
    RecordRetentionPass(nDeleted + g_Thread.CleanFileBackups());
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

std::size_t CThread::CleanFileBackups() {
  return dorvik::CleanFileBackups(ReadServiceDocument(), g_strProgramDir + "Log", RealFileSystem(), SystemClock());
}

std::size_t CThread::CleanSqlBackups() {
  return dorvik::CleanSqlBackups(ReadServiceDocument(), g_strProgramDir + "Log", RealFileSystem(), SystemClock());
}

}  // namespace dorvik
