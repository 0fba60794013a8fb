#include "service/nt_service.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/program_dir.h"

namespace dorvik {

CNTService* CNTService::s_pThis = nullptr;

namespace {

// How long the manager should wait for the next sign of life while starting or stopping.
const DWORD kStartWaitHintMs = 10000;
const DWORD kStopWaitHintMs = 3000;

bool SwitchIs(const char* argument, char letter) {
  return (argument[0] == '-' || argument[0] == '/') &&
         (argument[1] == letter || argument[1] == letter - 'a' + 'A') && argument[2] == '\0';
}

bool IsPending(DWORD dwState) {
  return dwState == SERVICE_START_PENDING || dwState == SERVICE_STOP_PENDING ||
         dwState == SERVICE_PAUSE_PENDING || dwState == SERVICE_CONTINUE_PENDING;
}

}  // namespace

CNTService::CNTService(const char* szServiceName) {
  s_pThis = this;
  std::strncpy(m_szServiceName, szServiceName, sizeof m_szServiceName - 1);
  m_szServiceName[sizeof m_szServiceName - 1] = '\0';
  std::memset(&m_Status, 0, sizeof m_Status);
  m_Status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  m_Status.dwCurrentState = SERVICE_STOPPED;
}

CNTService::~CNTService() = default;

bool CNTService::HandleSwitches(int argc, char** argv) {
  if (argc <= 1) return false;
  const char* argument = argv[1];
  DWORD dwError = 0;
  if (SwitchIs(argument, 'v')) {
    std::printf("%s Version %d.%d\n", m_szServiceName, m_iMajorVersion, m_iMinorVersion);
    std::printf("The service is %s installed\n", IsInstalled() ? "currently" : "not");
    return true;
  }
  if (SwitchIs(argument, 'i')) {
    if (IsInstalled()) {
      std::printf("%s is already installed\n", m_szServiceName);
    } else if (Install(&dwError)) {
      std::printf("%s installed\n", m_szServiceName);
    } else {
      std::printf("%s failed to install. Error %d\n", m_szServiceName, static_cast<int>(dwError));
    }
    return true;
  }
  if (SwitchIs(argument, 'u')) {
    if (!IsInstalled()) {
      std::printf("%s is not installed\n", m_szServiceName);
    } else if (Remove(&dwError)) {
      std::printf("%s removed. (You must delete the file (%s) yourself.)\n", m_szServiceName,
                  ProgramPath().c_str());
      std::fflush(stdout);
      SelfDelete();
    } else {
      std::printf("Could not remove %s. Error %d\n", m_szServiceName, static_cast<int>(dwError));
    }
    return true;
  }
  return false;
}

BOOL CNTService::StartDispatcher() {
  SERVICE_TABLE_ENTRYA table[] = {{m_szServiceName, ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table);
}

void CNTService::ReportStatus(DWORD dwState, DWORD dwWin32ExitCode, DWORD dwWaitHintMs) {
  std::lock_guard<std::mutex> hold(m_csStatus);
  m_Status.dwCurrentState = dwState;
  m_Status.dwWin32ExitCode = dwWin32ExitCode;
  m_Status.dwControlsAccepted = dwState == SERVICE_STOPPED ? 0 : SERVICE_ACCEPT_STOP;
  m_Status.dwCheckPoint = IsPending(dwState) ? m_Status.dwCheckPoint + 1 : 0;
  m_Status.dwWaitHint = IsPending(dwState) ? dwWaitHintMs : 0;
  // A status the manager refuses leaves it with the previous one; there is no one to tell.
  SetServiceStatus(m_hServiceStatus, &m_Status);
}

void CNTService::SendStatus() {
  std::lock_guard<std::mutex> hold(m_csStatus);
  SetServiceStatus(m_hServiceStatus, &m_Status);  // refused: as in ReportStatus
}

void CNTService::ReportServiceEvent(WORD wType, DWORD dwID, const char* pszText1,
                                    const char* pszText2, const char* pszText3) {
  std::lock_guard<std::mutex> hold(m_csEventSource);
  if (!m_hEventSource) m_hEventSource.Reset(RegisterEventSourceA(nullptr, m_szServiceName));
  if (!m_hEventSource) return;  // no source, no entry: there is nowhere else to report to
  const char* texts[3];
  WORD wCount = 0;
  for (const char* text : {pszText1, pszText2, pszText3}) {
    if (text) texts[wCount++] = text;
  }
  // An entry the log refuses (full, say) is lost; the log is where failures would go.
  ReportEventA(m_hEventSource.Get(), wType, 0, dwID, nullptr, wCount, 0, wCount ? texts : nullptr,
               nullptr);
}

void WINAPI CNTService::ServiceMain(DWORD, LPSTR*) {
  CNTService* self = s_pThis;
  self->m_hServiceStatus = RegisterServiceCtrlHandlerA(self->m_szServiceName, ControlHandler);
  if (!self->m_hServiceStatus) {
    self->ReportServiceEvent(EVENTLOG_ERROR_TYPE, EVMSG_CTRLHANDLERNOTINSTALLED);
    return;
  }
  self->ReportStatus(SERVICE_START_PENDING, NO_ERROR, kStartWaitHintMs);
  DWORD dwExitCode = NO_ERROR;
  if (self->OnStarting()) {
    self->ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, EVMSG_STARTED);
    // Running before the manager hears of it: a stop that comes at once is not overwritten.
    self->m_bRunning = true;
    self->ReportStatus(SERVICE_RUNNING);
    self->OnStarted();
    self->Run();
  } else {
    dwExitCode = GetLastError();
    self->ReportServiceEvent(EVENTLOG_ERROR_TYPE, EVMSG_FAILEDINIT);
  }
  self->ReportStatus(SERVICE_STOPPED, dwExitCode);
  // Nothing is left to do once stopped, and an installer waiting for the stop replaces or
  // deletes this program next: while the process lingers, its file is still in use.
  ExitProcess(0);
}

void WINAPI CNTService::ControlHandler(DWORD dwOpcode) {
  CNTService* self = s_pThis;
  switch (dwOpcode) {
    case SERVICE_CONTROL_STOP:
      self->ReportStatus(SERVICE_STOP_PENDING, NO_ERROR, kStopWaitHintMs);
      self->OnStopRequest();
      // Written before the flag clears: once Run has seen it, the process ends at once.
      self->ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, EVMSG_STOPPED);
      self->m_bRunning = false;
      return;  // ServiceMain reports the stop once Run has returned
    case SERVICE_CONTROL_INTERROGATE:
      break;
    default:
      // Codes from 128 up are the service's own; the others are not accepted.
      if (dwOpcode < 128 || !self->OnCustomControl(dwOpcode)) {
        self->ReportServiceEvent(EVENTLOG_ERROR_TYPE, EVMSG_BADREQUEST);
      }
      break;
  }
  self->SendStatus();
}

void CNTService::Run() {
  while (m_bRunning) Sleep(5000);
}

bool CNTService::OnStarting() { return true; }
void CNTService::OnStarted() {}
void CNTService::OnStopRequest() {}
bool CNTService::OnCustomControl(DWORD) { return false; }

}  // namespace dorvik
