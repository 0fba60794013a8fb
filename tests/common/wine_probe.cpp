// Proves the Wine harness: prints the ANSI code page and creates a file with a GBK name in the
// folder given as the first argument; the calling script checks its UTF-8 name on Linux.
#include "common/win32.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::printf("ACP=%u\n", GetACP());
  std::string path = std::string(argv[1]) + "\\备份测试.txt";
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    std::printf("CreateFile failed: %lu\n", GetLastError());
    return 1;
  }
  CloseHandle(h);
  return 0;
}
