#pragma once
#include <memory>

#include "tools/rar/rar_file_system.h"

namespace dorvik {
namespace rar {

// Win32 file system through the A functions (file names in the ANSI code page).
std::unique_ptr<IRarFileSystem> CreateWin32FileSystem();

}  // namespace rar
}  // namespace dorvik
