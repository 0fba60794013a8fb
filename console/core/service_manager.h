#pragma once
// The service control manager as the console uses it. The Win32 implementation opens the local
// manager for each call; unit tests of the restart logic use a scripted fake.
#include <string>

namespace dorvik {

enum class ServiceQuery { Stopped, NotStopped, Failed };

class IServiceManager {
 public:
  virtual ~IServiceManager() = default;
  // Whether the service is stopped; Failed when it cannot be queried (not registered, no rights).
  virtual ServiceQuery QueryStopped(const std::string& serviceName) = 0;
  // Asks the manager to start / stop the service; the outcome is not checked by the callers.
  virtual void RequestStart(const std::string& serviceName) = 0;
  virtual void RequestStop(const std::string& serviceName) = 0;
  // Runs the service program with "/i" through the shell, hidden, without waiting.
  virtual void InstallServiceProgram(const std::string& programPath) = 0;
};

// The Win32 manager (DorvikUI.exe only).
IServiceManager& RealServiceManager();

}  // namespace dorvik
