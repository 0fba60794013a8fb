#pragma once
// Running the archiver core in tests: a command line as the jobs write it, on any file system.
#include <string>
#include <vector>

#include "common/file_system.h"
#include "tests/jobs/fixed_clock.h"
#include "tools/rar/zip_format.h"

namespace dorvik {
namespace rar {

struct RunResult {
  int code;
  std::string err;
};

// The clock of rar.log's time stamps.
CFixedClock& TestClock();

// Runs `line` (its first word is the program's name) with rar.log in C:\Tools\.
RunResult RunLine(IFileSystem& fs, const std::string& line, const ZipLimits& limits = ZipLimits(),
                  std::size_t chunk = 1 << 20);

std::vector<ZipEntry> Entries(IFileSystem& fs, const std::string& archive);

std::string Compressible(std::size_t size);
std::string Random(std::size_t size, unsigned seed);

}  // namespace rar
}  // namespace dorvik
