#include "common/win32.h"
#include "tools/rar/temp_name.h"

namespace dorvik {
namespace rar {

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace rar
}  // namespace dorvik
