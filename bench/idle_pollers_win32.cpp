// The floor the idle service is measured against: the service's polling threads with nothing in
// them but reading the local time and sleeping. 100 threads poll every 100 ms (the file task
// watchers), 21 every 10 ms (the SQL Server task watchers and the retention watcher), and the
// main thread every 100 ms (the service loop that watches for a stop).
//   idle_pollers SECONDS    runs that long, then exits
#include <cstdlib>

#include "common/win32.h"

namespace {

DWORD WINAPI Poll(LPVOID pIntervalMs) {
  const DWORD intervalMs = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(pIntervalMs));
  for (;;) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    Sleep(intervalMs);
  }
}

void StartPollers(int count, DWORD intervalMs) {
  for (int i = 0; i < count; ++i) {
    HANDLE thread = CreateThread(nullptr, 0, Poll, reinterpret_cast<LPVOID>(ULONG_PTR(intervalMs)),
                                 0, nullptr);
    if (!thread) std::exit(1);
    CloseHandle(thread);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  StartPollers(100, 100);
  StartPollers(21, 10);
  for (int i = 0; i < seconds * 10; ++i) Sleep(100);
  // The pollers never return: ending the process ends them.
  ExitProcess(0);
}
