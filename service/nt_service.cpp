#include "service/nt_service.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "jobs/process.h"

namespace dorvik {

CNTService* CNTService::s_pThis = nullptr;

namespace {

const char* const kDescription = "VarnelDorvik后台监控服务。用于自动备份文件和数据库。";

bool SwitchIs(const char* argument, char letter) {
  return (argument[0] == '-' || argument[0] == '/') &&
         (argument[1] == letter || argument[1] == letter - 'a' + 'A') && argument[2] == '\0';
}

}  // namespace

CNTService::CNTService(const char* szServiceName) {
  s_pThis = this;
  std::strncpy(m_szServiceName, szServiceName, sizeof m_szServiceName - 1);
  m_szServiceName[sizeof m_szServiceName - 1] = '\0';
  std::memset(&m_Status, 0, sizeof m_Status);
  m_Status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  m_Status.dwCurrentState = SERVICE_STOPPED;
  m_Status.dwControlsAccepted = SERVICE_ACCEPT_STOP;
}

CNTService::~CNTService() {
  if (m_hEventSource) DeregisterEventSource(m_hEventSource);
}

std::string CNTService::ExecutablePath() const {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

bool CNTService::HandleSwitches(int argc, char** argv) {
  if (argc <= 1) return false;
  const char* argument = argv[1];
  if (SwitchIs(argument, 'v')) {
    std::printf("%s Version %d.%d\n", m_szServiceName, m_iMajorVersion, m_iMinorVersion);
    std::printf("The service is %s installed\n", IsInstalled() ? "currently" : "not");
    return true;
  }
  if (SwitchIs(argument, 'i')) {
    if (IsInstalled()) {
      std::printf("%s is already installed\n", m_szServiceName);
    } else if (Install()) {
      std::printf("%s installed\n", m_szServiceName);
    } else {
      std::printf("%s failed to install. Error %d\n", m_szServiceName,
                  static_cast<int>(GetLastError()));
    }
    return true;
  }
  if (SwitchIs(argument, 'u')) {
    if (!IsInstalled()) {
      std::printf("%s is not installed\n", m_szServiceName);
    } else if (Remove()) {
      std::printf("%s removed. (You must delete the file (%s) yourself.)\n", m_szServiceName,
                  ExecutablePath().c_str());
      std::fflush(stdout);
      SelfDelete();
    } else {
      std::printf("Could not remove %s. Error %d\n", m_szServiceName,
                  static_cast<int>(GetLastError()));
    }
    return true;
  }
  return false;
}

bool CNTService::IsInstalled() {
  bool bResult = false;
  SC_HANDLE hSCM = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (hSCM) {
    SC_HANDLE hService = OpenServiceA(hSCM, m_szServiceName, SERVICE_QUERY_CONFIG);
    if (hService) {
      bResult = true;
      CloseServiceHandle(hService);
    }
    CloseServiceHandle(hSCM);
  }
  return bResult;
}

bool CNTService::Install() {
  SC_HANDLE hSCM = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!hSCM) return false;
  const std::string path = ExecutablePath();
  // Quoted: unquoted, a path with blanks ("C:\Program Files\...") lets the system try
  // "C:\Program.exe" first, which anyone able to write C:\ could plant.
  const std::string binaryPath = "\"" + path + "\"";
  SC_HANDLE hService = CreateServiceA(
      hSCM, m_szServiceName, m_szServiceName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
      SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr, nullptr, nullptr,
      nullptr, nullptr);
  if (!hService) {
    DWORD error = GetLastError();
    CloseServiceHandle(hSCM);
    SetLastError(error);
    return false;
  }

  const std::string eventKey =
      std::string("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\") + m_szServiceName;
  HKEY hKey = nullptr;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, eventKey.c_str(), &hKey) != ERROR_SUCCESS) {
    DWORD error = GetLastError();
    CloseServiceHandle(hService);
    CloseServiceHandle(hSCM);
    SetLastError(error);
    return false;
  }
  RegSetValueExA(hKey, "EventMessageFile", 0, REG_EXPAND_SZ,
                 reinterpret_cast<const BYTE*>(path.c_str()), static_cast<DWORD>(path.size() + 1));
  DWORD dwTypes = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
  RegSetValueExA(hKey, "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwTypes),
                 sizeof dwTypes);
  RegCloseKey(hKey);

  const std::string serviceKey = std::string("SYSTEM\\CurrentControlSet\\Services\\") + m_szServiceName;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, serviceKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &hKey, nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(hKey, "Description", 0, REG_SZ, reinterpret_cast<const BYTE*>(kDescription),
                   static_cast<DWORD>(std::strlen(kDescription) + 1));
    RegCloseKey(hKey);
  }

  ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, EVMSG_INSTALLED, m_szServiceName);
  CloseServiceHandle(hService);
  CloseServiceHandle(hSCM);

  // Start it at once; a failure here leaves it installed, to start at the next boot.
  SC_HANDLE hManager = OpenSCManagerA(nullptr, "ServicesActive", SC_MANAGER_ALL_ACCESS);
  if (hManager) {
    SC_HANDLE hStart = OpenServiceA(hManager, m_szServiceName, SERVICE_START | SERVICE_QUERY_STATUS);
    if (hStart) {
      SERVICE_STATUS status;
      QueryServiceStatus(hStart, &status);
      StartServiceA(hStart, 0, nullptr);
      CloseServiceHandle(hStart);
    }
    CloseServiceHandle(hManager);
  }
  return true;
}

bool CNTService::Remove() {
  SC_HANDLE hSCM = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!hSCM) return false;
  SC_HANDLE hService = OpenServiceA(hSCM, m_szServiceName, DELETE);
  if (!hService) {
    DWORD error = GetLastError();
    CloseServiceHandle(hSCM);
    SetLastError(error);
    return false;
  }
  // Stops a running service on its own; not waited for (the deletion takes effect once the
  // service has stopped). Without a console of its own, so its messages stay out of ours.
  std::string stopCommand = std::string("cmd /c net stop ") + m_szServiceName;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info = {};
  // If cmd cannot start, DeleteService still marks the service; it goes at its next stop.
  const std::string cmd = SystemProgramPath("cmd.exe");
  if (CreateProcessA(cmd.c_str(), &stopCommand[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                     nullptr, &startup, &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  bool bResult = DeleteService(hService) != 0;
  DWORD error = GetLastError();
  if (bResult) {
    ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, EVMSG_REMOVED, m_szServiceName);
  } else {
    ReportServiceEvent(EVENTLOG_ERROR_TYPE, EVMSG_NOTREMOVED, m_szServiceName);
  }
  CloseServiceHandle(hService);
  CloseServiceHandle(hSCM);
  SetLastError(error);
  return bResult;
}

void CNTService::SelfDelete() {
  const std::string path = ExecutablePath();
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHA, path.c_str(), nullptr);
  // Quoted, so a path with blanks deletes this file and not the pieces of its name.
  const std::string parameters = "/c del /q \"" + path + "\"";
  ShellExecuteA(nullptr, "open", SystemProgramPath("cmd.exe").c_str(), parameters.c_str(), nullptr, SW_HIDE);
  ExitProcess(0);
}

BOOL CNTService::StartDispatcher() {
  SERVICE_TABLE_ENTRYA table[] = {{m_szServiceName, ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table);
}

void CNTService::ReportState(DWORD dwState) {
  m_Status.dwCurrentState = dwState;
  SetServiceStatus(m_hServiceStatus, &m_Status);
}

void CNTService::ReportServiceEvent(WORD wType, DWORD dwID, const char* pszText1,
                                    const char* pszText2, const char* pszText3) {
  std::lock_guard<std::mutex> hold(m_csEventSource);
  if (!m_hEventSource) m_hEventSource = RegisterEventSourceA(nullptr, m_szServiceName);
  if (!m_hEventSource) return;  // no source, no entry: there is nowhere else to report to
  const char* texts[3];
  WORD wCount = 0;
  for (const char* text : {pszText1, pszText2, pszText3}) {
    if (text) texts[wCount++] = text;
  }
  ReportEventA(m_hEventSource, wType, 0, dwID, nullptr, wCount, 0, wCount ? texts : nullptr,
               nullptr);
}

bool CNTService::BeginService() {
  ReportState(SERVICE_START_PENDING);
  bool bStarted = OnStarting();
  m_Status.dwWin32ExitCode = bStarted ? NO_ERROR : GetLastError();
  m_Status.dwCheckPoint = 0;
  m_Status.dwWaitHint = 0;
  if (bStarted) {
    ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, EVMSG_STARTED);
    ReportState(SERVICE_RUNNING);
  } else {
    ReportServiceEvent(EVENTLOG_ERROR_TYPE, EVMSG_FAILEDINIT);
    ReportState(SERVICE_STOPPED);
  }
  return bStarted;
}

void WINAPI CNTService::ServiceMain(DWORD, LPSTR*) {
  CNTService* self = s_pThis;
  self->m_Status.dwCurrentState = SERVICE_START_PENDING;
  self->m_hServiceStatus = RegisterServiceCtrlHandlerA(self->m_szServiceName, ControlHandler);
  if (!self->m_hServiceStatus) {
    self->ReportServiceEvent(EVENTLOG_ERROR_TYPE, EVMSG_CTRLHANDLERNOTINSTALLED);
    return;
  }
  if (self->BeginService()) {
    self->m_bRunning = true;
    self->m_Status.dwWin32ExitCode = 0;
    self->m_Status.dwCheckPoint = 0;
    self->m_Status.dwWaitHint = 0;
    self->OnStarted();
    self->Run();
  }
  self->ReportState(SERVICE_STOPPED);
}

void WINAPI CNTService::ControlHandler(DWORD dwOpcode) {
  CNTService* self = s_pThis;
  switch (dwOpcode) {
    case SERVICE_CONTROL_STOP:
      self->ReportState(SERVICE_STOP_PENDING);
      self->OnStopRequest();
      self->m_bRunning = false;
      self->ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, EVMSG_STOPPED);
      break;
    case SERVICE_CONTROL_PAUSE:
      self->OnPauseRequest();
      break;
    case SERVICE_CONTROL_CONTINUE:
      self->OnResume();
      break;
    case SERVICE_CONTROL_INTERROGATE:
      self->OnQuery();
      break;
    case SERVICE_CONTROL_SHUTDOWN:
      self->OnSystemShutdown();
      break;
    default:
      // Codes from 128 up are the service's own; 0 and 6..127 are not handled.
      if (dwOpcode < 128 || !self->OnCustomControl(dwOpcode)) {
        self->ReportServiceEvent(EVENTLOG_ERROR_TYPE, EVMSG_BADREQUEST);
      }
      break;
  }
  SetServiceStatus(self->m_hServiceStatus, &self->m_Status);
}

void CNTService::Run() {
  while (m_bRunning) Sleep(5000);
}

bool CNTService::OnStarting() { return true; }
void CNTService::OnStarted() {}
void CNTService::OnStopRequest() {}
void CNTService::OnQuery() {}
void CNTService::OnPauseRequest() {}
void CNTService::OnResume() {}
void CNTService::OnSystemShutdown() {}
bool CNTService::OnCustomControl(DWORD) { return false; }

}  // namespace dorvik
