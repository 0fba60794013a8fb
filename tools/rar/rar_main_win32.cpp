// rar.exe: the command line is read raw, with the archiver's own quoting rules.
#include "common/win32.h"

#include <iostream>

#include "common/clock.h"
#include "common/file_system.h"
#include "common/gbk.h"
#include "common/program_dir.h"
#include "tools/rar/rar_app.h"

int main() {
  using namespace dorvik;
  // The command line starts with the program's own name ("rar" unless renamed).
  const std::string path = ProgramPath();
  std::string stem = path.empty() ? "rar" : LastPathComponent(path);
  const std::string::size_type dot = stem.rfind('.');
  if (dot != std::string::npos) stem.erase(dot);
  return rar::RunRarCommandLine(RealFileSystem(), SystemClock(), ProgramDirectory(), GetCommandLineA(),
                                stem, std::cout, std::cerr, rar::kVerifyArchives);
}
