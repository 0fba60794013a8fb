#include "common/win32.h"

#include "common/process_id.h"

namespace dorvik {

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace dorvik
