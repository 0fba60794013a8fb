#include "service/status_switch.h"

#include <cstdio>
#include <memory>

#include "common/clock.h"
#include "common/scoped_handle.h"
#include "common/win32.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "health/health_report.h"
#include "health/status_report.h"

namespace dorvik {

namespace {

// Whether the service manager reports the service running. Query access only, so any user's
// script may ask.
bool IsServiceRunning(const char* serviceName) {
  CServiceHandle hSCM(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!hSCM) return false;
  CServiceHandle hService(OpenServiceA(hSCM.Get(), serviceName, SERVICE_QUERY_STATUS));
  SERVICE_STATUS status;
  return hService && QueryServiceStatus(hService.Get(), &status) && status.dwCurrentState == SERVICE_RUNNING;
}

// A document that lost its section tags is no task list: better unknown than "no tasks, all ok".
bool HasTaskSections(const std::string& document) {
  return document.find("<FileBackups>") != std::string::npos && document.find("<SqlBackups>") != std::string::npos;
}

}  // namespace

bool IsStatusSwitch(int argc, char** argv) {
  if (argc < 2) return false;
  const std::string arg = argv[1];
  return arg.size() == 2 && (arg[0] == '-' || arg[0] == '/') && (arg[1] == 's' || arg[1] == 'S');
}

int RunStatusSwitch(const std::string& programDir, const char* serviceName) {
  const std::string configPath = programDir + "config.db";
  std::unique_ptr<IConfigFile> config = MakeConfigFile(configPath);
  const std::string document = ReadConfigDocumentQuietly(*config);
  if (!HasTaskSections(document)) {
    std::printf("DORVIK UNKNOWN - %s is missing or cannot be read\n", configPath.c_str());
    return kStatusUnknown;
  }
  const bool bRunning = IsServiceRunning(serviceName);
  std::string text;
  const int code = FormatStatusReport(
      ReadTaskHealth(document, programDir, ToEpochSeconds(SystemClock().Now()), bRunning), bRunning, &text);
  std::fputs(text.c_str(), stdout);
  return code;
}

}  // namespace dorvik
