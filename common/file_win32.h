#pragma once
// IFile over a Win32 file handle, for the Win32 file system's open and create.
#include <memory>

#include "common/file_system.h"
#include "common/scoped_handle.h"

namespace dorvik {

// Takes over the handle; `bWritable` files are flushed when closed.
std::unique_ptr<IFile> MakeWin32File(CKernelHandle handle, bool bWritable);

}  // namespace dorvik
