#pragma once
// Exit codes of rar.exe, the values WinRAR-like archivers use, so a caller that reads them can
// tell success from failure:
//   0 success; 1 warning (some sources missing, or changed while they were read, the archive
//   still written); 2 fatal error (also an archive whose entries share data); 3 CRC error while
//   extracting or testing (also an entry longer than it declares); 5 write error (also an
//   archive that does not read back as written); 6 open error; 7 bad command line; 10 no files
//   to add or none matching to extract.
namespace dorvik {
namespace rar {

enum ExitCode {
  kExitSuccess = 0,
  kExitWarning = 1,
  kExitFatal = 2,
  kExitCrc = 3,
  kExitWrite = 5,
  kExitOpen = 6,
  kExitUsage = 7,
  kExitNoFiles = 10,
};

// The worse of two outcomes, so one run reports its most serious problem.
inline int WorseExit(int a, int b) {
  if (a == kExitSuccess) return b;
  if (b == kExitSuccess) return a;
  if (a == kExitWarning) return b;
  if (b == kExitWarning) return a;
  return a > b ? a : b;
}

}  // namespace rar
}  // namespace dorvik
