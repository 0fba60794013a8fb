#pragma once
// What the configuration store shows the user or does to the program. The console wires these to
// message boxes and its archiver dialog; the service and Backup.exe use a silent implementation.
#include <string>

namespace dorvik {

enum class MessageIcon { None, Stop, Warning };

class IConfigReactions {
 public:
  virtual ~IConfigReactions() = default;
  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
  // The archiver selection dialog, shown when no rar.exe is at a default place; "" if cancelled.
  virtual std::string AskArchiverPath() = 0;
  // Ends the program at once with exit code 0 (the console does; tests record it).
  virtual void EndProgram() = 0;
};

// Shows nothing, asks nothing; EndProgram does nothing (the caller sees the failed result).
IConfigReactions& SilentConfigReactions();

}  // namespace dorvik
