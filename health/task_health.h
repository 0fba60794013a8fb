#pragma once
// The health rule: whether a task's last due run produced a backup, failed, or never happened.
//
//   due      the latest moment the watcher would have started the task (LastDueMoment), not
//            before the task was first watched with its present day rule and hours
//   ok       the latest outcome at or after `due` is a backup
//   failed   the latest outcome at or after `due` is a failed run
//   missed   no outcome at or after `due`, `due` is more than kGraceSeconds ago and no run is going
//   pending  no due moment yet; or `due` is within its grace period or its run is still going,
//            and the due moment before it left no judgement (a missed earlier run still counts)
//
// Outcomes are times: a backup's log time (the run's start) or a recorded run's end. A run that
// ends after the next due moment therefore covers it. Outcomes dated after `now` (the clock was
// set back) still count as at or after `due`, so turning the clock back never makes a task missed.
#include <string>

#include "health/expected_run.h"

namespace dorvik {

enum class HealthState { Ok, Failed, Missed, Pending };

// "ok", "failed", "missed", "pending": the label values and the status texts.
const char* HealthStateName(HealthState state);

// How long after its due moment a run may take to leave its first trace.
constexpr Moment kGraceSeconds = 5 * 60;

struct TaskHealthFacts {
  Moment lastSuccess = kNoMoment;   // the newest backup
  Moment lastFailure = kNoMoment;   // the end of the newest failed run
  std::string strFailure;           // what that run said
  bool bRunning = false;            // the service started a run of it that has not ended
  Moment watchedSince = kNoMoment;  // due moments before this do not count
};

struct TaskHealth {
  HealthState state = HealthState::Pending;
  Moment due = kNoMoment;   // the due moment the state was judged on (kNoMoment: none yet)
  std::string strReason;    // one line for people, GBK
};

TaskHealth JudgeTaskHealth(const DayRule& rule, const HourList& hours, const TaskHealthFacts& facts,
                           Moment now);

// "%Y-%m-%d %H:%M:%S" in local time, or "-" for kNoMoment.
std::string FormatMoment(Moment moment);

}  // namespace dorvik
