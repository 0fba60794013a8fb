#include "health/exposition.h"

#include "common/code_page.h"

namespace dorvik {

namespace {

bool IsGbkTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

std::string WellFormedGbk(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += text[i];
    } else if (c >= 0x81 && c <= 0xFE && i + 1 < text.size() &&
               IsGbkTrail(static_cast<unsigned char>(text[i + 1]))) {
      out += text.substr(i++, 2);
    } else {
      out += '?';
    }
  }
  return out;
}

// A double-byte code GBK leaves unassigned does not convert, and the text comes back as it was:
// then only its ASCII part is kept.
std::string ToUtf8(const std::string& gbk) {
  const std::string wellFormed = WellFormedGbk(gbk);
  std::string utf8 = GbkToUtf8(wellFormed);
  if (utf8 != wellFormed) return utf8;
  for (char& c : utf8) {
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  }
  return utf8;
}

std::string Number(Moment moment) { return moment == kNoMoment ? "0" : std::to_string(moment); }

struct Metric {
  const char* name;
  const char* help;
};

void Header(std::string* text, const Metric& metric) {
  *text += std::string("# HELP ") + metric.name + " " + metric.help + "\n";
  *text += std::string("# TYPE ") + metric.name + " gauge\n";
}

std::string TaskLabels(const HealthTask& task) {
  return "kind=\"" + task.strKind + "\",task=\"" + LabelValue(task.strKey) + "\",source=\"" +
         LabelValue(task.strSource) + "\"";
}

}  // namespace

std::string LabelValue(const std::string& gbk) {
  const std::string utf8 = ToUtf8(gbk);
  std::string out;
  for (char c : utf8) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '"') {
      out += "\\\"";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string FormatExposition(const std::vector<TaskHealthRow>& rows, const ServiceHealthFacts& service,
                             Moment written) {
  std::vector<const TaskHealthRow*> enabled;
  for (const TaskHealthRow& row : rows) {
    if (row.task.bEnabled) enabled.push_back(&row);
  }
  std::string text;
  const struct {
    Metric metric;
    std::string (*value)(const TaskHealthRow&);
  } perTask[] = {
      {{"dorvik_task_last_success_timestamp_seconds", "Time of the task's newest backup (0: none)."},
       [](const TaskHealthRow& r) { return Number(r.facts.lastSuccess); }},
      {{"dorvik_task_last_failure_timestamp_seconds", "End of the task's newest failed run (0: none)."},
       [](const TaskHealthRow& r) { return Number(r.facts.lastFailure); }},
      {{"dorvik_task_last_expected_run_timestamp_seconds",
        "The moment the task was last due to start (0: not yet due)."},
       [](const TaskHealthRow& r) { return Number(r.health.due); }},
      {{"dorvik_task_last_output_size_bytes", "Size of what the task's last successful run made."},
       [](const TaskHealthRow& r) { return std::to_string(r.nOutputBytes); }},
      {{"dorvik_task_last_run_duration_seconds", "How long the task's last recorded run took."},
       [](const TaskHealthRow& r) {
         return r.lastStart == kNoMoment || r.lastEnd < r.lastStart ? std::string("0")
                                                                     : std::to_string(r.lastEnd - r.lastStart);
       }},
  };
  for (const auto& metric : perTask) {
    Header(&text, metric.metric);
    for (const TaskHealthRow* row : enabled) {
      text += std::string(metric.metric.name) + "{" + TaskLabels(row->task) + "} " + metric.value(*row) + "\n";
    }
  }
  Header(&text, {"dorvik_task_state", "1 for the task's present health state, 0 for the others."});
  const HealthState states[] = {HealthState::Ok, HealthState::Failed, HealthState::Missed, HealthState::Pending};
  for (const TaskHealthRow* row : enabled) {
    for (HealthState state : states) {
      text += "dorvik_task_state{" + TaskLabels(row->task) + ",state=\"" + HealthStateName(state) + "\"} " +
              (row->health.state == state ? "1" : "0") + "\n";
    }
  }
  const struct {
    Metric metric;
    std::string value;
  } perService[] = {
      {{"dorvik_service_start_time_seconds", "When the backup service started."}, Number(service.serviceStart)},
      {{"dorvik_retention_last_pass_timestamp_seconds", "End of the last retention pass (0: none yet)."},
       Number(service.retentionPass)},
      {{"dorvik_retention_last_pass_deleted_backups", "Backups the last retention pass deleted."},
       std::to_string(service.nRetentionDeleted)},
      {{"dorvik_health_file_written_timestamp_seconds", "When the service wrote this file."}, Number(written)},
  };
  for (const auto& metric : perService) {
    Header(&text, metric.metric);
    text += std::string(metric.metric.name) + " " + metric.value + "\n";
  }
  return text;
}

}  // namespace dorvik
