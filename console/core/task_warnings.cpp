#include "console/core/task_warnings.h"

#include "common/clock.h"
#include "common/gbk.h"
#include "console/core/last_backup_times.h"

namespace dorvik {

TaskWarnings WarningsOfKind(const std::vector<TaskHealthRow>& rows, const std::string& kind) {
  TaskWarnings warnings;
  for (const TaskHealthRow& row : rows) {
    const HealthState state = row.health.state;
    if (row.task.strKind != kind || !row.task.bEnabled) continue;
    if (state != HealthState::Failed && state != HealthState::Missed) continue;
    warnings[row.task.strKey] = MenuItemText(row.health.strReason);
  }
  return warnings;
}

std::string MenuItemText(const std::string& text) {
  std::string item;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A whole character or none: a cut GBK character would show as a stray byte.
    const std::size_t width = IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    if (item.size() + width > kMenuItemLimit) return item + "...";
    const char c = text[i];
    if (width == 2) {
      item.append(text, i++, 2);
    } else if (c == '&') {
      item += "&&";
    } else if (c == '\t' || c == '\r' || c == '\n') {
      item += ' ';
    } else {
      item += c;
    }
  }
  return item;
}

std::vector<TaskHealthRow> LoadTaskHealth(const std::string& document, const std::string& programDir,
                                          bool bServiceRunning) {
  return ReadTaskHealth(document, programDir, LoadLastBackupTimes(programDir),
                        ToEpochSeconds(SystemClock().Now()), bServiceRunning);
}

}  // namespace dorvik
