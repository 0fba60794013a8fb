// Installing, removing and deleting the service program: the parts of CNTService that run from
// the command line, never under the service manager.
#include "service/nt_service.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "common/program_dir.h"
#include "jobs/process.h"

namespace dorvik {

namespace {

const char* const kDescription = "VarnelDorvik后台监控服务。用于自动备份文件和数据库。";

// Restart a minute after each failure; a day without one starts the count again.
constexpr DWORD kRestartDelayMs = 60 * 1000;
constexpr DWORD kFailureCountResetSeconds = 24 * 60 * 60;

// So that a crash does not end every backup on the machine until someone notices. False when
// the manager refused them.
bool SetRecoveryActions(SC_HANDLE hService) {
  SC_ACTION actions[3];
  for (SC_ACTION& action : actions) {
    action.Type = SC_ACTION_RESTART;
    action.Delay = kRestartDelayMs;
  }
  SERVICE_FAILURE_ACTIONSA failure = {};
  failure.dwResetPeriod = kFailureCountResetSeconds;
  failure.cActions = 3;
  failure.lpsaActions = actions;
  return ChangeServiceConfig2A(hService, SERVICE_CONFIG_FAILURE_ACTIONS, &failure) != FALSE;
}

bool Failed(DWORD* pdwError) {
  *pdwError = GetLastError();
  return false;
}

}  // namespace

bool CNTService::IsInstalled() {
  CServiceHandle hSCM(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!hSCM) return false;
  CServiceHandle hService(OpenServiceA(hSCM.Get(), m_szServiceName, SERVICE_QUERY_CONFIG));
  return static_cast<bool>(hService);
}

bool CNTService::Install(DWORD* pdwError) {
  CServiceHandle hSCM(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!hSCM) return Failed(pdwError);
  const std::string path = ProgramPath();
  // Quoted: unquoted, a path with blanks ("C:\Program Files\...") lets the system try
  // "C:\Program.exe" first, which anyone able to write C:\ could plant.
  const std::string binaryPath = "\"" + path + "\"";
  CServiceHandle hService(CreateServiceA(
      hSCM.Get(), m_szServiceName, m_szServiceName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
      SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr, nullptr, nullptr,
      nullptr, nullptr));
  if (!hService) return Failed(pdwError);
  const bool bRecoverySet = SetRecoveryActions(hService.Get());
  const DWORD dwRecoveryError = GetLastError();

  const std::string eventKey =
      std::string("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\") + m_szServiceName;
  CRegistryKey hKey;
  // RegCreateKey answers with its error code, not through GetLastError.
  const LONG nCreated = RegCreateKeyA(HKEY_LOCAL_MACHINE, eventKey.c_str(), hKey.Receive());
  if (nCreated != ERROR_SUCCESS) {
    *pdwError = static_cast<DWORD>(nCreated);
    return false;
  }
  // The values below only make the Event Viewer show texts and the service list a description;
  // a failure to write them leaves a working service, so the install goes on.
  RegSetValueExA(hKey.Get(), "EventMessageFile", 0, REG_EXPAND_SZ,
                 reinterpret_cast<const BYTE*>(path.c_str()), static_cast<DWORD>(path.size() + 1));
  DWORD dwTypes = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
  RegSetValueExA(hKey.Get(), "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwTypes),
                 sizeof dwTypes);
  const std::string serviceKey = std::string("SYSTEM\\CurrentControlSet\\Services\\") + m_szServiceName;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, serviceKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, hKey.Receive(), nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(hKey.Get(), "Description", 0, REG_SZ, reinterpret_cast<const BYTE*>(kDescription),
                   static_cast<DWORD>(std::strlen(kDescription) + 1));
  }
  hKey.Reset();

  ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, EVMSG_INSTALLED, m_szServiceName);
  // The service works without them: the install goes on, the log says what is missing.
  if (!bRecoverySet) {
    ReportServiceEvent(EVENTLOG_WARNING_TYPE, EVMSG_NORECOVERYACTIONS, std::to_string(dwRecoveryError).c_str());
  }
  hService.Reset();
  hSCM.Reset();

  // Start it at once; a failure here leaves it installed, to start at the next boot.
  CServiceHandle hManager(OpenSCManagerA(nullptr, "ServicesActive", SC_MANAGER_ALL_ACCESS));
  if (hManager) {
    CServiceHandle hStart(OpenServiceA(hManager.Get(), m_szServiceName, SERVICE_START | SERVICE_QUERY_STATUS));
    if (hStart) {
      SERVICE_STATUS status;
      QueryServiceStatus(hStart.Get(), &status);
      StartServiceA(hStart.Get(), 0, nullptr);
    }
  }
  return true;
}

bool CNTService::Remove(DWORD* pdwError) {
  CServiceHandle hSCM(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!hSCM) return Failed(pdwError);
  CServiceHandle hService(OpenServiceA(hSCM.Get(), m_szServiceName, DELETE));
  if (!hService) return Failed(pdwError);
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
    CKernelHandle thread(info.hThread);  // closed at once: the stop is not waited for
    CKernelHandle process(info.hProcess);
  }
  if (!DeleteService(hService.Get())) {
    Failed(pdwError);
    ReportServiceEvent(EVENTLOG_ERROR_TYPE, EVMSG_NOTREMOVED, m_szServiceName);
    return false;
  }
  ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, EVMSG_REMOVED, m_szServiceName);
  return true;
}

void CNTService::SelfDelete() {
  const std::string path = ProgramPath();
  // Each step only makes the deletion likelier or quicker to show; the process ends regardless,
  // and a file left behind is what the removal message already tells the user to delete.
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHA, path.c_str(), nullptr);
  // Quoted, so a path with blanks deletes this file and not the pieces of its name.
  const std::string parameters = "/c del /q \"" + path + "\"";
  ShellExecuteA(nullptr, "open", SystemProgramPath("cmd.exe").c_str(), parameters.c_str(), nullptr, SW_HIDE);
  ExitProcess(0);
}

}  // namespace dorvik
