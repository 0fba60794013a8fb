#pragma once
// IFile over a POSIX descriptor, for the POSIX file system's open and create.
#include <memory>

#include "common/file_system.h"

namespace dorvik {

// Takes over the descriptor; `bWritable` files are synced when closed.
std::unique_ptr<IFile> MakePosixFile(int fd, bool bWritable);

}  // namespace dorvik
