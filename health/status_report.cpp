#include "health/status_report.h"

namespace dorvik {

namespace {

std::string TaskLine(const TaskHealthRow& row) {
  const HealthTask& task = row.task;
  std::string line = task.strKind + " " + task.strKey + " (" + task.strSource + "): ";
  if (!task.bEnabled) return line + "disabled\n";
  line += std::string(HealthStateName(row.health.state)) + "; last backup " + FormatMoment(row.facts.lastSuccess) +
          "; last expected run " + FormatMoment(row.health.due);
  if (row.health.state != HealthState::Ok) line += "; " + row.health.strReason;
  // One line per task whatever the failure's text holds.
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line + "\n";
}

}  // namespace

int FormatStatusReport(const std::vector<TaskHealthRow>& rows, bool bServiceRunning, std::string* text) {
  int counts[4] = {0, 0, 0, 0};  // by HealthState
  int disabled = 0;
  std::string lines;
  for (const TaskHealthRow& row : rows) {
    if (row.task.bEnabled) {
      ++counts[static_cast<int>(row.health.state)];
    } else {
      ++disabled;
    }
    lines += TaskLine(row);
  }
  const int ok = counts[static_cast<int>(HealthState::Ok)];
  const int failed = counts[static_cast<int>(HealthState::Failed)];
  const int missed = counts[static_cast<int>(HealthState::Missed)];
  const int pending = counts[static_cast<int>(HealthState::Pending)];
  int code = kStatusOk;
  const char* word = "OK";
  if (failed + missed > 0) {
    code = kStatusCritical;
    word = "CRITICAL";
  } else if (!bServiceRunning) {
    code = kStatusWarning;
    word = "WARNING";
  }
  *text = std::string("DORVIK ") + word + " - " + std::to_string(failed) + " failed, " + std::to_string(missed) +
          " missed, " + std::to_string(ok) + " ok, " + std::to_string(pending) + " pending, " +
          std::to_string(disabled) + " disabled; service " + (bServiceRunning ? "running" : "not running") +
          " | failed=" + std::to_string(failed) + " missed=" + std::to_string(missed) + " ok=" + std::to_string(ok) +
          " pending=" + std::to_string(pending) + " disabled=" + std::to_string(disabled) + "\n" + lines;
  return code;
}

}  // namespace dorvik
