#pragma once
// The extract commands: "e" puts every file of the archive into one folder without the stored
// paths, "x" keeps the paths below the folder, "t" only checks every entry's CRC. Command form:
//   e|x|t [switches] archive [mask ...] [destination]
// The argument after the archive that is last and has no wildcard is the destination folder,
// with or without a trailing backslash; it is created when missing. Each file is written under
// a temporary name of its own and renamed once its CRC has been checked, so nothing half-written
// remains. No entry writes more than the size it declares, and an archive whose entries share
// their data is refused before anything is written.
// An existing file is replaced only with -o+ or -y; otherwise it is kept and reported.
#include "common/file_system.h"
#include "tools/rar/command_line.h"
#include "tools/rar/rar_report.h"

namespace dorvik {
namespace rar {

int RunExtract(IFileSystem& fs, const RarOptions& options, CRarReport& report);

// Archive and destination named by unquoted paths with blanks arrive split at the blanks: when
// the first argument names no regular file, the longest run of unquoted arguments that, joined
// again with the blanks between them, names a regular file is taken as the archive (a folder
// "D:\SQL" beside "D:\SQL Backup" is not), and the rest as the destination. After an archive
// named whole, the unquoted rest is joined only when it names an existing folder together.
void JoinSplitPaths(IFileSystem& fs, std::vector<RawArgument>& positional);

}  // namespace rar
}  // namespace dorvik
