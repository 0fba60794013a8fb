#pragma once
#include <memory>

#include "tools/rar/rar_file_system.h"

namespace dorvik {
namespace rar {

// POSIX file system (UTF-8 names), for the native build.
std::unique_ptr<IRarFileSystem> CreatePosixFileSystem();

}  // namespace rar
}  // namespace dorvik
