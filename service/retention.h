#pragma once
// Deleting backups that have passed their task's retention rule, recognised by the folder and
// file names the backup jobs give them and by their dates. Never deletes on the strength of a
// missing or malformed rule, a folder name that is not a whole date, or an empty source name
// that would match other tasks' backups, and never deletes a task's newest backup.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "common/clock.h"
#include "common/file_system.h"
#include "service/owned_folder.h"

namespace dorvik {

// "删除" + N + "天以前的" gives N (0 or more) and true; "保留", and any rule without a readable
// number of days, give false: the task's backups are kept.
bool ReadRetentionDays(const std::string& rule, long long* days);

// Whether an entry of a date folder is an output of the file task with this source name: exactly
// "file_" + source name + "_" + a 14-digit stamp, optionally followed by ".zip", ".incomplete"
// or ".incomplete.zip" (what a failed run's output is renamed to: it expires like the others).
constexpr std::string::size_type kFileStampDigits = 14;
bool IsFileTaskBackupName(const std::string& entryName, const std::string& sourceName);

// One pass over the file tasks (or SQL Server tasks) of the document. The backup log in
// logFolder tells each task's newest backup, which is never deleted. Returns how many backups
// it deleted (archives and copy folders of file tasks, date folders of SQL Server tasks).
std::size_t CleanFileBackups(const std::string& document, const std::string& logFolder, IFileSystem& files,
                             IClock& clock);
std::size_t CleanSqlBackups(const std::string& document, const std::string& logFolder, IFileSystem& files,
                            IClock& clock);

// The retention thread: both passes at once, then once at the first poll of every 12:00,
// polling every 10 ms until bStop. runPasses reads config.db afresh and runs both passes.
constexpr unsigned kRetentionPollMs = 10;
void RunRetentionLoop(IClock& clock, const std::atomic<bool>& bStop,
                      const std::function<void()>& runPasses);

}  // namespace dorvik
