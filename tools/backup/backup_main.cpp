// Backup.exe: started by the service for a due SQL Server task, with the task's record and the
// compression choice on its command line. Ends when the work is done; the exit code tells how.
#include "common/win32.h"

#include <cstdio>

#include "common/program_dir.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "jobs/backup_log.h"
#include "jobs/process.h"
#include "tools/backup/backup_event_log.h"
#include "tools/backup/backup_program.h"

int main() {
  using namespace dorvik;
  std::string programDir = ProgramDirectory();
  std::unique_ptr<IConfigFile> config = MakeConfigFile(programDir + "config.db");
  std::unique_ptr<IBackupLog> log = MakeBackupLog(programDir);
  BackupProgramEnvironment env{ReadConfigDocumentQuietly(*config), OpenSqlConnection, RealProcessRunner(), *log,
                               RealFileSystem(), SystemClock()};
  BackupProgramResult result = RunBackupProgram(GetCommandLineA(), env);
  if (!result.strFailure.empty()) {
    std::fprintf(stderr, "%s\n", result.strFailure.c_str());
    ReportBackupFailure(result.strFailure);
  }
  return result.nExitCode;
}
