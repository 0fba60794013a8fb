#include "console/core/start_switch.h"

namespace dorvik {

bool IsStopServiceSwitch(const std::string& commandTail) { return commandTail == "/stopsvc"; }

}  // namespace dorvik
