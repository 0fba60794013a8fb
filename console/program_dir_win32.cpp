#include "console/program_dir.h"

#include <windows.h>

#include "common/gbk.h"

namespace dorvik {

std::string ProgramDirectory() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  return DirectoryWithSlash(std::string(path, n));
}

}  // namespace dorvik
