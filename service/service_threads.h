#pragma once
// The service's worker threads: the starter, the three watch threads, one watcher per task and
// one thread per running file job. Their routines are the member operations of CThread.
#include "common/win32.h"
#include "common/scoped_handle.h"

#include <cstddef>
#include <string>

namespace dorvik {

class CThread {
 public:
  // Creates the starter thread (StartWorkers); called once the service runs.
  void Start();

  static DWORD WINAPI StartWorkers(LPVOID pThread);
  static DWORD WINAPI WatchFileThreadProc(LPVOID);
  static DWORD WINAPI WatchSqlThreadProc(LPVOID);
  static DWORD WINAPI WatchDelThreadProc(LPVOID);
  // Per-task watchers; the argument is a heap std::string with the record, owned by the routine.
  static DWORD WINAPI Background(LPVOID pRecord);
  static DWORD WINAPI SqlBackground(LPVOID pRecord);

  void DoInitSqlConnection();
  void Backgroundbackups();
  void SqlBackgroundbackups();
  // Each returns how many backups its pass deleted.
  std::size_t CleanFileBackups();
  std::size_t CleanSqlBackups();

  // Nobody waits on these threads; the handles are kept for the process's life and closed with it.
  CKernelHandle m_hStarter;
  CKernelHandle m_hWatchFile;
  CKernelHandle m_hWatchSql;
  CKernelHandle m_hWatchDel;
};

extern CThread g_Thread;

// Reads config.db afresh as the service does: empty when it cannot be read.
std::string ReadServiceDocument();

}  // namespace dorvik
