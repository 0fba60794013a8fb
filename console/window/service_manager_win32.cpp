// The console's service manager calls. Failures other than the status query are deliberately not
// checked: without administrative rights every call fails, and the console carries on silently.
#include "common/win32.h"

#include <shellapi.h>

#include "common/scoped_handle.h"
#include "console/core/service_manager.h"

namespace dorvik {

namespace {

SC_HANDLE OpenManager() {
  return OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, SC_MANAGER_ALL_ACCESS);
}

class CWin32ServiceManager : public IServiceManager {
 public:
  ServiceQuery QueryStopped(const std::string& serviceName) override {
    CServiceHandle manager(OpenManager());
    if (!manager.Get()) return ServiceQuery::Failed;
    CServiceHandle service(OpenServiceA(manager.Get(), serviceName.c_str(), SERVICE_ALL_ACCESS));
    SERVICE_STATUS status;
    if (!service.Get() || !QueryServiceStatus(service.Get(), &status)) return ServiceQuery::Failed;
    return status.dwCurrentState == SERVICE_STOPPED ? ServiceQuery::Stopped
                                                    : ServiceQuery::NotStopped;
  }

  void RequestStart(const std::string& serviceName) override {
    CServiceHandle manager(OpenManager());
    if (!manager.Get()) return;
    CServiceHandle service(
        OpenServiceA(manager.Get(), serviceName.c_str(), GENERIC_EXECUTE | SERVICE_START));
    if (service.Get()) StartServiceA(service.Get(), 0, nullptr);
  }

  void RequestStop(const std::string& serviceName) override {
    CServiceHandle manager(OpenManager());
    if (!manager.Get()) return;
    CServiceHandle service(
        OpenServiceA(manager.Get(), serviceName.c_str(), GENERIC_EXECUTE | SERVICE_STOP));
    SERVICE_STATUS status;
    if (service.Get()) ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
  }

  void InstallServiceProgram(const std::string& programPath) override {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    // No error box of the shell's own when the program is missing: the console stays quiet.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = programPath.c_str();
    info.lpParameters = "/i";
    info.lpDirectory = "";
    info.nShow = SW_HIDE;
    ShellExecuteExA(&info);
  }
};

}  // namespace

IServiceManager& RealServiceManager() {
  static CWin32ServiceManager manager;
  return manager;
}

}  // namespace dorvik
