#include "common/program_dir.h"

#include <vector>

#include "common/gbk.h"
#include "common/win32.h"

namespace dorvik {

std::string ProgramPath() {
  // Grow the buffer until the whole path fits: GetModuleFileName cuts silently otherwise.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::vector<char> path(size);
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
    if (n == 0) return std::string();
    if (n < size) return std::string(path.data(), n);
  }
  return std::string();
}

std::string ProgramDirectory() { return DirectoryWithSlash(ProgramPath()); }

}  // namespace dorvik
