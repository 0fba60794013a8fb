// rar.exe: the command line is read raw, with the archiver's own quoting rules.
#include <windows.h>

#include <iostream>

#include "common/gbk.h"
#include "tools/rar/rar_app.h"
#include "tools/rar/rar_file_system_win32.h"

int main() {
  char module[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
  std::string stem = n > 0 && n < sizeof module ? dorvik::LastPathComponent(std::string(module, n)) : "rar";
  const std::string::size_type dot = stem.rfind('.');
  if (dot != std::string::npos) stem.erase(dot);
  std::unique_ptr<dorvik::rar::IRarFileSystem> fs = dorvik::rar::CreateWin32FileSystem();
  return dorvik::rar::RunRarCommandLine(*fs, GetCommandLineA(), stem, std::cout, std::cerr);
}
