#pragma once
// The Prometheus text exposition of every enabled task's health and of the service, for
// node_exporter's or windows_exporter's textfile collector. Label values are UTF-8; moments are
// Unix seconds, 0 for "never".
#include <string>
#include <vector>

#include "health/health_report.h"

namespace dorvik {

struct ServiceHealthFacts {
  Moment serviceStart = kNoMoment;
  Moment retentionPass = kNoMoment;  // the end of the last retention pass
  long long nRetentionDeleted = 0;   // backups that pass deleted
};

std::string FormatExposition(const std::vector<TaskHealthRow>& rows, const ServiceHealthFacts& service,
                             Moment written);

// A label value: GBK converted to UTF-8 (bytes that are no GBK character become "?"), then
// backslash, double quote and line feed escaped as the format asks.
std::string LabelValue(const std::string& gbk);

}  // namespace dorvik
