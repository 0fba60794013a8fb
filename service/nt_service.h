#pragma once
// Everything that talks to the service manager, the registry and the event log. A subclass
// overrides the virtual hooks and knows nothing of the SCM.
#include "common/win32.h"

#include <atomic>
#include <mutex>
#include <string>

#include "common/scoped_handle.h"
#include "dorvik_version.h"

namespace dorvik {

// Event IDs of the Application log (texts in service/event_messages.mc).
enum ServiceEventId : DWORD {
  EVMSG_INSTALLED = 100,
  EVMSG_REMOVED = 101,
  EVMSG_NOTREMOVED = 102,
  EVMSG_CTRLHANDLERNOTINSTALLED = 103,
  EVMSG_FAILEDINIT = 104,
  EVMSG_STARTED = 105,
  EVMSG_BADREQUEST = 106,
  EVMSG_STOPPED = 108,
  EVMSG_FILEJOBFAILED = 110,
  EVMSG_SQLPROGRAMFAILED = 111,
  EVMSG_THREADFAILED = 112,
  EVMSG_SQLRECORDMALFORMED = 113,
  EVMSG_TASKMISSED = 120,
  EVMSG_TASKRECOVERED = 121,
  EVMSG_HEALTHWRITEFAILED = 122,
  EVMSG_RECORDDAMAGED = 123,
  EVMSG_NORECOVERYACTIONS = 124,
};

class CNTService {
 public:
  explicit CNTService(const char* szServiceName);
  virtual ~CNTService();

  // "-v", "-i", "-u" (or "/" forms, any case) as the first argument; false for anything else.
  bool HandleSwitches(int argc, char** argv);
  bool IsInstalled();
  // Both leave the system's error code in *pdwError when they fail.
  bool Install(DWORD* pdwError);
  bool Remove(DWORD* pdwError);
  BOOL StartDispatcher();

  void ReportServiceEvent(WORD wType, DWORD dwID, const char* pszText1 = nullptr,
                          const char* pszText2 = nullptr, const char* pszText3 = nullptr);

  // The hooks. The manager is told the service accepts exactly what they handle: a stop, and
  // the service's own control codes (128 and up, which need no flag).
  virtual void Run();
  virtual bool OnStarting();
  virtual void OnStopRequest();
  virtual bool OnCustomControl(DWORD dwOpcode);

  // The process's one service object (its constructor records it), or null.
  static CNTService* Instance() { return s_pThis; }

  static void WINAPI ServiceMain(DWORD dwArgc, LPSTR* lpszArgv);
  static void WINAPI ControlHandler(DWORD dwOpcode);

 protected:
  // Called once the service runs, just before Run: the subclass starts its worker threads.
  virtual void OnStarted();
  // Ends the process; a command started now deletes the executable once the process is gone.
  [[noreturn]] void SelfDelete();

  char m_szServiceName[64];
  int m_iMajorVersion = DORVIK_VERSION_MAJOR;
  int m_iMinorVersion = DORVIK_VERSION_MINOR;
  std::atomic<bool> m_bRunning{false};

 private:
  // Every state change goes through here: pending states count their checkpoint up and carry a
  // wait hint, settled states clear both.
  void ReportStatus(DWORD dwState, DWORD dwWin32ExitCode = NO_ERROR, DWORD dwWaitHintMs = 0);
  // Sends the status as it stands (the answer to an interrogation or a custom control).
  void SendStatus();

  SERVICE_STATUS_HANDLE m_hServiceStatus = nullptr;
  SERVICE_STATUS m_Status;
  std::mutex m_csStatus;  // the control handler and ServiceMain run on different threads
  CEventSource m_hEventSource;
  std::mutex m_csEventSource;  // file jobs report from their own threads
  static CNTService* s_pThis;
};

}  // namespace dorvik
