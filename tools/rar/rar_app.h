#pragma once
// One run of the archiver over already split arguments (the program name left out).
#include <ostream>
#include <vector>

#include "tools/rar/chunk_pipeline.h"
#include "tools/rar/command_line.h"
#include "tools/rar/rar_file_system.h"
#include "tools/rar/zip_format.h"

namespace dorvik {
namespace rar {

int RunRar(IRarFileSystem& fs, const std::vector<RawArgument>& args, std::ostream& out,
           std::ostream& err, const ZipLimits& limits = ZipLimits(),
           const PipelineSettings& settings = PipelineSettings());

// The whole program: splits the raw command line and drops the program's own name from it.
int RunRarCommandLine(IRarFileSystem& fs, const std::string& commandLine,
                      const std::string& programStem, std::ostream& out, std::ostream& err);

}  // namespace rar
}  // namespace dorvik
