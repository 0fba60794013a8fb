// Dorviksvc.exe: reads config.db before anything else (and does nothing at all without it),
// then handles a command-line switch or hands itself to the service dispatcher.
#include "common/win32.h"

#include <cstdio>
#include <memory>
#include <string>

#include "common/file_system.h"
#include "common/gbk.h"
#include "common/program_dir.h"
#include "config/document.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "service/backup_service.h"
#include "service/service_globals.h"
#include "service/service_threads.h"
#include "service/status_switch.h"

using namespace dorvik;

namespace {

// The start-up read, through the store like every other: a file that cannot be opened ends the
// process before anything else.
bool ReadStartupDocument(std::string* document) {
  std::unique_ptr<IConfigFile> file = MakeConfigFile(g_strConfigPath);
  bool bOpened = false;
  *document = ReadConfigDocumentQuietly(*file, &bOpened);
  return bOpened;
}

void EnsureLogFolder() {
  // A failure shows up later, when a job cannot write its log line (and reports it).
  RealFileSystem().MakeDirectory(g_strProgramDir + "Log");
}

}  // namespace

int main(int argc, char** argv) {
  {
    CBackupService service;
    g_strProgramDir = ProgramDirectory();
    g_strConfigPath = g_strProgramDir + "config.db";
    // Answers with its own exit code, also (3) when config.db cannot be read.
    if (IsStatusSwitch(argc, argv)) {
      const int code = RunStatusSwitch(g_strProgramDir, "Dorviksvc");
      std::fflush(stdout);
      ExitProcess(static_cast<UINT>(code));
    }

    std::string document;
    if (!ReadStartupDocument(&document)) ExitProcess(0);
    g_strRarDir = DirectoryWithSlash(GetTag(document, "rarpath"));
    EnsureLogFolder();

    if (!service.HandleSwitches(argc, argv)) {
      // The dispatcher fails at once when the program was not started by the service manager;
      // there is nothing else for the program to do then.
      service.StartDispatcher();
    }
    std::fflush(stdout);
  }
  // Ends the worker threads together with the process, before any static object they use
  // could be destroyed under them.
  ExitProcess(0);
}
