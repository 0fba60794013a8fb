#include <unistd.h>

#include "tools/rar/temp_name.h"

namespace dorvik {
namespace rar {

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

}  // namespace rar
}  // namespace dorvik
