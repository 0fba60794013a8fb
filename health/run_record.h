#pragma once
// What the service keeps of each task's runs, one small text file per task, and of itself. The
// files are "name=value" lines between a first line naming the format and a last line "end":
// a file cut short lacks the "end" and is taken as damaged, never half read. Values are GBK
// text with backslash, CR and LF escaped ("\\", "\r", "\n"); moments are seconds since the epoch,
// empty for none.
#include <cstdint>
#include <map>
#include <string>

#include "health/expected_run.h"

namespace dorvik {

struct RunRecord {
  std::string strKind;           // "file" or "sql"
  std::string strKey;            // m_strID or projectname
  std::string strSchedule;       // the day rule and hours it was watched with
  Moment watchedSince = kNoMoment;
  Moment lastStart = kNoMoment;  // of the last run that ended
  Moment lastEnd = kNoMoment;
  bool bLastSucceeded = false;
  Moment lastSuccess = kNoMoment;  // end of the last run that made its backup
  Moment lastFailure = kNoMoment;  // end of the last run that failed
  std::string strFailure;
  std::uint64_t nOutputBytes = 0;  // of the last run that made its backup
  Moment runningSince = kNoMoment; // a run started and not yet ended ...
  Moment runningService = kNoMoment;  // ... by the service that started at this moment
  std::string strReported;       // the last state written to the event log
};

// The service's own facts: when records began (its first start with them) and its last start.
struct ServiceRecord {
  Moment recordsBegan = kNoMoment;
  Moment serviceStart = kNoMoment;
};

std::string FormatRunRecord(const RunRecord& record);
// False for anything but a whole record of this format.
bool ParseRunRecord(const std::string& text, RunRecord* record);
std::string FormatServiceRecord(const ServiceRecord& record);
bool ParseServiceRecord(const std::string& text, ServiceRecord* record);

// The record's file name: kind, "-", the key's bytes in hexadecimal, ".txt" (any key, quotes and
// backslashes included, makes a plain name).
std::string RunRecordFileName(const std::string& kind, const std::string& key);

}  // namespace dorvik
