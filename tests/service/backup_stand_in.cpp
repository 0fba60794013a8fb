// A stand-in for Backup.exe in the service tests: appends its command line as it arrived to
// Backup.calls beside itself, with the start and end time, sleeping a while in between so that
// overlapping runs would show. A line "NAME CODE" in Backup.exitcodes beside it makes the run of
// the task with project name NAME exit with CODE (else 0).
#include "common/win32.h"

#include <cstdio>
#include <fstream>
#include <string>

#include "common/program_dir.h"

namespace {

int ChosenExitCode(const std::string& commandLine) {
  std::ifstream codes(dorvik::ProgramDirectory() + "Backup.exitcodes");
  std::string name;
  int code = 0;
  while (codes >> name >> code) {
    if (commandLine.find("<projectname>" + name + "</projectname>") != std::string::npos) return code;
  }
  return 0;
}

}  // namespace

int main() {
  const std::string log = dorvik::ProgramDirectory() + "Backup.calls";
  SYSTEMTIME start;
  GetLocalTime(&start);
  Sleep(1500);
  SYSTEMTIME end;
  GetLocalTime(&end);
  FILE* file = std::fopen(log.c_str(), "ab");
  if (!file) return 1;
  std::fprintf(file, "%02d:%02d:%02d.%03d-%02d:%02d:%02d.%03d %s\n", start.wHour, start.wMinute,
               start.wSecond, start.wMilliseconds, end.wHour, end.wMinute, end.wSecond,
               end.wMilliseconds, GetCommandLineA());
  std::fclose(file);
  return ChosenExitCode(GetCommandLineA());
}
