#include <unistd.h>

#include "common/process_id.h"

namespace dorvik {

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

}  // namespace dorvik
