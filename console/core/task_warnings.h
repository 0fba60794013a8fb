#pragma once
// Which rows of the task lists need the administrator's eye: tasks whose last due run failed or
// never happened, judged by the rule the service and the status switch use.
#include <string>
#include <vector>

#include "console/core/task_list_rows.h"
#include "health/health_report.h"

namespace dorvik {

// The failed and missed tasks of one kind ("file" or "sql"), by key, with their reasons as menu
// item texts.
TaskWarnings WarningsOfKind(const std::vector<TaskHealthRow>& rows, const std::string& kind);

// A reason as one menu item: "&" shown as itself, not as a mnemonic; tabs and line breaks blanks;
// cut with "..." after kMenuItemLimit bytes (a failure's text may hold a whole command line; the
// status switch shows it whole).
constexpr std::size_t kMenuItemLimit = 120;
std::string MenuItemText(const std::string& text);

// Every task's health now, from the document, the logs (through the task lists' cache) and the
// service's records.
std::vector<TaskHealthRow> LoadTaskHealth(const std::string& document, const std::string& programDir,
                                          bool bServiceRunning);

}  // namespace dorvik
