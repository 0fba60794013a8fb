// Runs one file backup on the real system, as the service or the console would:
//   file_job_runner MODE RARDIR PROGRAMDIR SOURCE STORAGE FILTER [ID]
// MODE is the task's compression value: 是 (zip), 否 (copy) or 备份后压缩 (copyzip).
// Prints each message the job reports; the exit code is 0 only when nothing failed.
#include <cstdio>
#include <string>

#include "jobs/file_backup_job.h"

using namespace dorvik;

namespace {

class CPrintingReporter : public IFileJobReporter {
 public:
  void UpdateTaskStatus(const std::string& record) override { std::printf("status: %s\n", record.c_str()); }
  void ReportSuccess(const std::string& message) override { std::printf("success: %s\n", message.c_str()); }
  void ReportFailure(const std::string& message) override {
    ++nFailures;
    std::printf("failure: %s\n", message.c_str());
  }
  void RunEnded() override { std::printf("ended\n"); }
  int nFailures = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7) {
    std::fprintf(stderr, "usage: file_job_runner MODE RARDIR PROGRAMDIR SOURCE STORAGE FILTER [ID]\n");
    return 2;
  }
  const std::string mode = argv[1];
  FileBackupRequest request;
  request.strRecord = std::string("<m_strID>") + (argc > 7 ? argv[7] : "1") + "</m_strID>";
  request.strSouPath = argv[4];
  request.strDesPath = argv[5];
  request.strFile = argv[6];
  CPrintingReporter reporter;
  std::unique_ptr<IBackupLog> log = MakeBackupLog(argv[3]);
  FileJobEnvironment env{argv[2], argv[3], RealProcessRunner(), *log, RealFileSystem(),
                         SystemClock(), reporter};
  if (mode == "zip" || mode == "是") {
    DoBackup(request, env);
  } else if (mode == "copy" || mode == "否") {
    DoBackupNocut(request, env);
  } else if (mode == "copyzip" || mode == "备份后压缩") {
    request.bCompressAfter = true;
    DoBackupNocut(request, env);
  } else {
    std::printf("failure: 压缩出错\n");
    return 2;
  }
  std::fflush(stdout);
  return reporter.nFailures == 0 ? 0 : 1;
}
