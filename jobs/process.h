#pragma once
// Starting external programs (rar.exe, xcopy, cmd, Backup.exe). The jobs only say what to start
// and how; the Win32 implementation does CreateProcess/ShellExecute, a fake in the tests records.
#include <string>

namespace dorvik {

struct ProcessResult {
  bool started = false;       // false: the program could not be started at all
  unsigned long exitCode = 0; // meaningful only for waited-for programs that started
  std::string error;          // why it could not be started, as the system says it
  bool Succeeded() const { return started && exitCode == 0; }
};

class IProcessRunner {
 public:
  virtual ~IProcessRunner() = default;
  // `program` is the full path of the program to start, or the bare name of a program in the
  // system folder ("xcopy", "cmd"), which is looked for there only. It is never taken from the
  // command line: an unquoted path with blanks ("C:\Program Files\...") would otherwise start
  // "C:\Program.exe" when one is there.
  //
  // Started with a hidden window, `commandLine` as the program sees it, default error mode, no
  // inherited handles; waited for without time limit.
  virtual ProcessResult RunHiddenAndWait(const std::string& program, const std::string& commandLine) = 0;
  // Started through the shell's "open" verb, hidden, and waited for without time limit; the
  // exit code is captured (xcopy for type filters).
  virtual ProcessResult ShellOpenHiddenAndWait(const std::string& program,
                                               const std::string& parameters) = 0;
};

// CreateProcessA / ShellExecuteA (Windows tree only).
IProcessRunner& RealProcessRunner();

// The full path of a program in the system folder ("cmd.exe"), for a start that must not search
// the current or the program's folder for it (Windows tree only).
std::string SystemProgramPath(const std::string& fileName);
// Likewise for a program of the Windows folder ("explorer.exe").
std::string WindowsProgramPath(const std::string& fileName);

}  // namespace dorvik
