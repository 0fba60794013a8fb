#pragma once
// One run of the archiver over already split arguments (the program name left out).
#include <ostream>
#include <vector>

#include "common/clock.h"
#include "common/file_system.h"
#include "tools/rar/chunk_pipeline.h"
#include "tools/rar/command_line.h"
#include "tools/rar/zip_format.h"

namespace dorvik {
namespace rar {

// Whether this build reads every written archive back before it counts (off only in the
// benchmark's twin, built with DORVIK_RAR_UNVERIFIED).
#ifdef DORVIK_RAR_UNVERIFIED
const bool kVerifyArchives = false;
#else
const bool kVerifyArchives = true;
#endif

// rar.log goes to `logFolder` (the program's folder), stamped with the clock's time. Only the
// benchmark turns `bVerify` off, to show what reading the written archive back costs.
int RunRar(IFileSystem& fs, IClock& clock, const std::string& logFolder,
           const std::vector<RawArgument>& args, std::ostream& out,
           std::ostream& err, const ZipLimits& limits = ZipLimits(),
           const PipelineSettings& settings = PipelineSettings(), bool bVerify = true);

// The whole program: splits the raw command line and drops the program's own name from it.
int RunRarCommandLine(IFileSystem& fs, IClock& clock, const std::string& logFolder,
                      const std::string& commandLine,
                      const std::string& programStem, std::ostream& out, std::ostream& err,
                      bool bVerify = true);

}  // namespace rar
}  // namespace dorvik
