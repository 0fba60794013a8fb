// The native archiver: the shell has already split the arguments.
#include <iostream>

#include "tools/rar/rar_app.h"
#include "tools/rar/rar_file_system_posix.h"

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
  std::unique_ptr<dorvik::rar::IRarFileSystem> fs = dorvik::rar::CreatePosixFileSystem();
  return dorvik::rar::RunRar(*fs, args, std::cout, std::cerr);
}
