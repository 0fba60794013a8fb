#include "health/task_health.h"

#include "common/clock.h"

namespace dorvik {

namespace {

// The state the outcomes at or after `due` give, if any.
bool JudgeOutcome(const TaskHealthFacts& facts, Moment due, TaskHealth* health) {
  const bool bSuccess = facts.lastSuccess != kNoMoment && facts.lastSuccess >= due;
  const bool bFailure = facts.lastFailure != kNoMoment && facts.lastFailure >= due;
  if (!bSuccess && !bFailure) return false;
  health->due = due;
  if (bFailure && (!bSuccess || facts.lastFailure > facts.lastSuccess)) {
    health->state = HealthState::Failed;
    health->strReason = "运行失败：" + facts.strFailure;
  } else {
    health->state = HealthState::Ok;
    health->strReason = "最近一次备份 " + FormatMoment(facts.lastSuccess);
  }
  return true;
}

TaskHealth Missed(Moment due) {
  TaskHealth health;
  health.state = HealthState::Missed;
  health.due = due;
  health.strReason = "应于 " + FormatMoment(due) + " 运行，未见备份，也未见失败记录";
  return health;
}

TaskHealth Pending(Moment due, const std::string& reason) {
  TaskHealth health;
  health.due = due;
  health.strReason = reason;
  return health;
}

}  // namespace

const char* HealthStateName(HealthState state) {
  switch (state) {
    case HealthState::Ok:
      return "ok";
    case HealthState::Failed:
      return "failed";
    case HealthState::Missed:
      return "missed";
    case HealthState::Pending:
      break;
  }
  return "pending";
}

std::string FormatMoment(Moment moment) {
  if (moment == kNoMoment) return "-";
  return FormatLocalTime(FromEpochSeconds(moment), "%Y-%m-%d %H:%M:%S");
}

TaskHealth JudgeTaskHealth(const DayRule& rule, const HourList& hours, const TaskHealthFacts& facts,
                           Moment now) {
  const Moment due = LastDueMoment(rule, hours, now, facts.watchedSince);
  if (due == kNoMoment) return Pending(kNoMoment, "尚未到应运行的时间");
  TaskHealth health;
  if (JudgeOutcome(facts, due, &health)) return health;
  if (!facts.bRunning && now - due > kGraceSeconds) return Missed(due);

  // Too early to judge this due moment (or its run is going): the one before it decides.
  const std::string waiting = facts.bRunning ? "正在运行（应于 " + FormatMoment(due) + " 运行）"
                                             : "等待 " + FormatMoment(due) + " 的运行结果";
  const Moment before = LastDueMoment(rule, hours, due - 1, facts.watchedSince);
  if (before == kNoMoment) return Pending(due, waiting);
  if (JudgeOutcome(facts, before, &health)) return health;
  if (facts.bRunning) return Pending(due, waiting);
  return Missed(before);
}

}  // namespace dorvik
