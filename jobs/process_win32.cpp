// IProcessRunner on Win32: CreateProcessA for hidden waited-for runs, ShellExecute for "open".
#include "common/scoped_handle.h"
#include <shellapi.h>

#include <vector>

#include "common/gbk.h"
#include "common/system_error.h"
#include "jobs/process.h"

namespace dorvik {

namespace {

// A bare name ("xcopy") is a program of the system folder; a path is used as it is.
std::string ProgramPath(const std::string& program) {
  if (FindFirstChar(program, '\\') != std::string::npos) return program;
  return SystemProgramPath(program + ".exe");
}

ProcessResult WaitForExit(HANDLE process) {
  ProcessResult result;
  result.started = true;
  DWORD exitCode = 0;
  if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process, &exitCode)) {
    // Started, but how it ended is unknown: report it as a failure rather than a success.
    result.error = SystemErrorText(GetLastError());
    exitCode = static_cast<DWORD>(-1);
  }
  result.exitCode = exitCode;
  return result;
}

class CWin32ProcessRunner : public IProcessRunner {
 public:
  ProcessResult RunHiddenAndWait(const std::string& program, const std::string& commandLine) override {
    const std::string application = ProgramPath(program);
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                        nullptr, nullptr, &startup, &info)) {
      ProcessResult failed;
      failed.error = SystemErrorText(GetLastError());
      return failed;
    }
    CKernelHandle thread(info.hThread);
    CKernelHandle process(info.hProcess);
    return WaitForExit(process.Get());
  }

  ProcessResult ShellOpenHiddenAndWait(const std::string& program,
                                       const std::string& parameters) override {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    const std::string application = ProgramPath(program);
    info.lpFile = application.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExA(&info)) {
      ProcessResult failed;
      failed.error = SystemErrorText(GetLastError());
      return failed;
    }
    if (!info.hProcess) {
      // The shell handed the request on without a process to wait for; its outcome is unknown.
      ProcessResult unknown;
      unknown.started = true;
      unknown.exitCode = static_cast<unsigned long>(-1);
      unknown.error = "no process to wait for";
      return unknown;
    }
    CKernelHandle process(info.hProcess);
    return WaitForExit(process.Get());
  }
};

}  // namespace

namespace {

std::string ProgramIn(UINT (WINAPI* folderOf)(LPSTR, UINT), const std::string& fileName) {
  char folder[MAX_PATH];
  UINT length = folderOf(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return fileName;  // the start then reports it missing
  return std::string(folder, length) + "\\" + fileName;
}

}  // namespace

std::string SystemProgramPath(const std::string& fileName) {
  return ProgramIn(GetSystemDirectoryA, fileName);
}

std::string WindowsProgramPath(const std::string& fileName) {
  return ProgramIn(GetWindowsDirectoryA, fileName);
}

IProcessRunner& RealProcessRunner() {
  static CWin32ProcessRunner runner;
  return runner;
}

}  // namespace dorvik
