// A small Windows checker for the service tests and the benchmark, talking to the real
// service manager:
//   service_probe state NAME            prints the state (RUNNING, STOPPED, ...)
//   service_probe pid NAME              prints the state and the service process's id
//   service_probe wait NAME STATE SECS  waits until the service is in STATE; exit 1 on time-out
//   service_probe stop NAME             stops it; prints how long until the process had ended
//   service_probe control NAME CODE     sends a control code; prints OK or the error
//   service_probe cpu NAME SECONDS      CPU time of the service process over that many seconds
//   service_probe exitcode NAME         waits for the service process to end; prints its exit code
//   service_probe message EXE ID TEXT   the message-table text of an event ID, TEXT as %1 to %3
//   service_probe recovery NAME         the recovery actions the manager reports for the service
//   service_probe hold SECONDS          just waits: Wine ends a prefix's services once no other
//                                       program runs in it, so a test keeps this one running
#include "common/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* StateName(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED: return "STOPPED";
    case SERVICE_START_PENDING: return "START_PENDING";
    case SERVICE_STOP_PENDING: return "STOP_PENDING";
    case SERVICE_RUNNING: return "RUNNING";
    default: return "OTHER";
  }
}

SC_HANDLE OpenNamed(const char* name, DWORD access) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return nullptr;
  SC_HANDLE service = OpenServiceA(manager, name, access);
  CloseServiceHandle(manager);
  return service;
}

bool Query(SC_HANDLE service, SERVICE_STATUS_PROCESS* status) {
  DWORD needed = 0;
  return QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(status),
                              sizeof *status, &needed) != 0;
}

double Ms(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return value.QuadPart / 10000.0;
}

int Fail(const char* what) {
  std::printf("%s failed: error %lu\n", what, GetLastError());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: service_probe state|wait|stop|control|cpu|message NAME ...\n");
    return 2;
  }
  const std::string command = argv[1];
  if (command == "hold") {
    Sleep(std::strtoul(argv[2], nullptr, 10) * 1000);
    return 0;
  }
  if (command == "message" && argc >= 5) {
    HMODULE module = LoadLibraryExA(argv[2], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return Fail("LoadLibraryEx");
    const DWORD_PTR insert = reinterpret_cast<DWORD_PTR>(argv[4]);
    DWORD_PTR inserts[] = {insert, insert, insert};
    char text[1024] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                  module, std::strtoul(argv[3], nullptr, 10), 0x409, text,
                                  sizeof text, reinterpret_cast<va_list*>(inserts));
    if (!length) return Fail("FormatMessage");
    std::printf("%s", text);
    return 0;
  }
  SC_HANDLE service = OpenNamed(argv[2], SERVICE_ALL_ACCESS);
  if (!service) return Fail("OpenService");
  SERVICE_STATUS_PROCESS status = {};
  if (command == "state") {
    if (!Query(service, &status)) return Fail("QueryServiceStatusEx");
    std::printf("%s\n", StateName(status.dwCurrentState));
    return 0;
  }
  if (command == "pid") {
    if (!Query(service, &status)) return Fail("QueryServiceStatusEx");
    std::printf("%s %lu\n", StateName(status.dwCurrentState), status.dwProcessId);
    return 0;
  }
  if (command == "wait" && argc >= 5) {
    DWORD until = GetTickCount() + std::strtoul(argv[4], nullptr, 10) * 1000;
    while (Query(service, &status) && std::strcmp(StateName(status.dwCurrentState), argv[3]) != 0) {
      if (GetTickCount() > until) {
        std::printf("still %s\n", StateName(status.dwCurrentState));
        return 1;
      }
      Sleep(50);
    }
    return 0;
  }
  if (command == "stop") {
    if (!Query(service, &status)) return Fail("QueryServiceStatusEx");
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId);
    SERVICE_STATUS plain;
    DWORD start = GetTickCount();
    if (!ControlService(service, SERVICE_CONTROL_STOP, &plain)) return Fail("ControlService");
    while (Query(service, &status) && status.dwCurrentState != SERVICE_STOPPED) Sleep(10);
    DWORD stopped = GetTickCount() - start;
    if (process) WaitForSingleObject(process, 10000);
    std::printf("stopped after %lu ms, process ended after %lu ms\n", stopped,
                GetTickCount() - start);
    return 0;
  }
  if (command == "exitcode") {
    if (!Query(service, &status)) return Fail("QueryServiceStatusEx");
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, status.dwProcessId);
    if (!process) return Fail("OpenProcess");
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    std::printf("pid %lu exit code 0x%lx\n", status.dwProcessId, code);
    return 0;
  }
  if (command == "recovery") {
    DWORD needed = 0;
    QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, nullptr, 0, &needed);
    std::string buffer(needed ? needed : sizeof(SERVICE_FAILURE_ACTIONSA), '\0');
    auto* actions = reinterpret_cast<SERVICE_FAILURE_ACTIONSA*>(&buffer[0]);
    if (!QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, reinterpret_cast<BYTE*>(&buffer[0]),
                              static_cast<DWORD>(buffer.size()), &needed)) {
      return Fail("QueryServiceConfig2");
    }
    std::printf("reset %lu s, %lu actions:", actions->dwResetPeriod, actions->cActions);
    for (DWORD i = 0; i < actions->cActions; ++i) {
      std::printf(" type %d after %lu ms", static_cast<int>(actions->lpsaActions[i].Type),
                  actions->lpsaActions[i].Delay);
    }
    std::printf("\n");
    return 0;
  }
  if (command == "control" && argc >= 4) {
    SERVICE_STATUS plain;
    if (!ControlService(service, std::strtoul(argv[3], nullptr, 10), &plain)) {
      return Fail("ControlService");
    }
    std::printf("OK\n");
    return 0;
  }
  if (command == "cpu" && argc >= 4) {
    if (!Query(service, &status)) return Fail("QueryServiceStatusEx");
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, status.dwProcessId);
    if (!process) return Fail("OpenProcess");
    FILETIME created, ended, kernel0, user0, kernel1, user1;
    GetProcessTimes(process, &created, &ended, &kernel0, &user0);
    const DWORD seconds = std::strtoul(argv[3], nullptr, 10);
    const DWORD start = GetTickCount();
    Sleep(seconds * 1000);
    const double wallMs = GetTickCount() - start;
    GetProcessTimes(process, &created, &ended, &kernel1, &user1);
    const double cpuMs = Ms(kernel1) - Ms(kernel0) + Ms(user1) - Ms(user0);
    std::printf("cpu %.0f ms (user %.0f, kernel %.0f) over %.1f s: %.2f%% of one core\n", cpuMs,
                Ms(user1) - Ms(user0), Ms(kernel1) - Ms(kernel0), wallMs / 1000,
                100.0 * cpuMs / wallMs);
    return 0;
  }
  std::fprintf(stderr, "unknown command %s\n", command.c_str());
  return 2;
}
