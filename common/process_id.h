#pragma once
// The running process's id, for names of temporary files that no other process can take.

namespace dorvik {

unsigned long CurrentProcessId();

}  // namespace dorvik
