#include "tests/rar/rar_run.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "tools/rar/rar_app.h"
#include "tools/rar/zip_reader.h"

namespace dorvik {
namespace rar {

CFixedClock& TestClock() {
  static CFixedClock clock{LocalTime()};
  return clock;
}

RunResult RunLine(IFileSystem& fs, const std::string& line, const ZipLimits& limits, std::size_t chunk) {
  std::vector<RawArgument> args = SplitCommandLine(line);
  args.erase(args.begin());
  std::ostringstream out, err;
  PipelineSettings settings;
  settings.nChunkSize = chunk;
  const int code = RunRar(fs, TestClock(), "C:\\Tools\\", args, out, err, limits, settings);
  return RunResult{code, err.str()};
}

std::vector<ZipEntry> Entries(IFileSystem& fs, const std::string& archive) {
  std::vector<ZipEntry> entries;
  std::unique_ptr<IFile> file = fs.OpenForReading(archive);
  std::string error;
  EXPECT_TRUE(file && ReadZipDirectory(*file, entries, error)) << archive << ": " << error;
  return entries;
}

std::string Compressible(std::size_t size) {
  std::string out;
  for (std::size_t i = 0; out.size() < size; ++i) out += "line " + std::to_string(i % 977) + " of the log\n";
  out.resize(size);
  return out;
}

std::string Random(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(rng());
  return out;
}

}  // namespace rar
}  // namespace dorvik
