// A stand-in for Backup.exe in the service tests: appends its command line as it arrived to
// Backup.calls beside itself, with the start and end time, sleeping a while in between so that
// overlapping runs would show.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string log = path;
  log = log.substr(0, log.find_last_of('\\') + 1) + "Backup.calls";
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
  return 0;
}
