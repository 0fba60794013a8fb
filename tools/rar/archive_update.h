#pragma once
// The add command: puts the selected files into a new archive, or into an existing one, whose
// entries of the same names are replaced and whose other entries are copied with their
// compressed data untouched. The result is written beside the archive under a temporary name
// and moved over it in one step, so a failed run leaves the old archive (or none) as it was.
// Before that step the written file is read back and checked (unless `bVerify` is off, for the
// benchmark's comparison). With -df the sources are deleted only after that step has succeeded,
// and never a file that changed while it was read.
#include "common/file_system.h"
#include "tools/rar/chunk_pipeline.h"
#include "tools/rar/command_line.h"
#include "tools/rar/rar_report.h"
#include "tools/rar/zip_format.h"

namespace dorvik {
namespace rar {

// zlib level for -m0 .. -m5 (0 stores).
int LevelForMethod(int nMethod);

int RunAdd(IFileSystem& fs, const RarOptions& options, CRarReport& report,
           const ZipLimits& limits, const PipelineSettings& settings, bool bVerify = true);

}  // namespace rar
}  // namespace dorvik
