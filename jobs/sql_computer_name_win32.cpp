#include "common/win32.h"

#include "jobs/sql_computer_name.h"

namespace dorvik {

std::string GetComputerNameText() {
  char name[100] = {0};
  DWORD size = sizeof(name);
  if (!GetComputerNameA(name, &size)) return std::string();
  return std::string(name, size);
}

}  // namespace dorvik
