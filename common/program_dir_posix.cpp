#include "common/program_dir.h"

#include <unistd.h>

#include <climits>

namespace dorvik {

// The native build's counterpart, from /proc/self/exe.
std::string ProgramPath() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof path) return std::string();
  return std::string(path, static_cast<std::size_t>(n));
}

std::string ProgramDirectory() {
  const std::string program = ProgramPath();
  return program.substr(0, program.rfind('/') + 1);
}

}  // namespace dorvik
