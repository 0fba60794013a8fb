#include <unistd.h>

#include "jobs/sql_computer_name.h"

namespace dorvik {

std::string GetComputerNameText() {
  char name[256] = {0};
  if (gethostname(name, sizeof(name) - 1) != 0) return std::string();
  return name;
}

}  // namespace dorvik
