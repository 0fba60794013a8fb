// Test helper: starts the command line stored in a file (ANSI bytes, exactly as the backup jobs
// build it) the way they do, hidden and waited for, and exits with the child's exit code.
#include "common/win32.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: rar_launch COMMAND-LINE-FILE\n");
    return 100;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 101;
  }
  std::string line;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) line.append(buffer, n);
  std::fclose(file);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  STARTUPINFOA si = STARTUPINFOA();
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                      nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "CreateProcess failed (%lu): %s\n", GetLastError(), line.c_str());
    return 102;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 103;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}
