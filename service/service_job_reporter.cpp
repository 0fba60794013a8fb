#include "service/service_job_reporter.h"

#include "service/nt_service.h"

namespace dorvik {

namespace {

class CServiceJobReporter : public IFileJobReporter {
 public:
  void UpdateTaskStatus(const std::string&) override {}  // only the console writes <status>
  void ReportSuccess(const std::string&) override {}     // the service shows nothing
  void ReportFailure(const std::string& message) override {
    ReportServiceJobProblem(EVMSG_FILEJOBFAILED, message.c_str());
  }
  void RunEnded() override {}
};

}  // namespace

IFileJobReporter& ServiceJobReporter() {
  static CServiceJobReporter reporter;
  return reporter;
}

void ReportServiceJobProblem(DWORD dwEventId, const char* pszText) {
  if (CNTService* service = CNTService::Instance()) {
    service->ReportServiceEvent(EVENTLOG_ERROR_TYPE, dwEventId, pszText);
  }
}

}  // namespace dorvik
