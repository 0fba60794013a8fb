// The native archiver: the shell has already split the arguments.
#include <iostream>

#include "common/clock.h"
#include "common/file_system.h"
#include "common/program_dir.h"
#include "tools/rar/rar_app.h"

int main(int argc, char** argv) {
  std::vector<dorvik::rar::RawArgument> args;
  std::string::size_type position = 0;
  for (int i = 1; i < argc; ++i) {
    dorvik::rar::RawArgument arg;
    arg.text = argv[i];
    arg.begin = position;
    arg.end = position + arg.text.size();
    position = arg.end + 1;
    args.push_back(arg);
  }
  return dorvik::rar::RunRar(dorvik::RealFileSystem(), dorvik::SystemClock(), dorvik::ProgramDirectory(),
                             args, std::cout, std::cerr, dorvik::rar::ZipLimits(),
                             dorvik::rar::PipelineSettings(), dorvik::rar::kVerifyArchives);
}
