#pragma once
// How the service's file jobs and threads report: failures go to the Application event log,
// successes and status write-backs are the console's business.
#include "common/win32.h"

#include "jobs/file_backup_job.h"

namespace dorvik {

IFileJobReporter& ServiceJobReporter();

// An error entry with the text, written through the service's event source.
void ReportServiceJobProblem(DWORD dwEventId, const char* pszText);

}  // namespace dorvik
