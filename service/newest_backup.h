#pragma once
// The newest backup a task has in its storage folder. Retention always keeps it, whatever its
// age: a task whose runs keep failing (source gone, disk full, a file held open) must not lose
// its last good backup to age alone.
//
// Only a successful run writes a log line, so the newest backup is the newest output the log
// names for the task that still exists in the task's own folder. Only a task with no such
// output falls back to the names on disk: its newest entry by time, never a failed run's
// ".incomplete" output.
#include <string>

#include "common/file_system.h"
#include "service/logged_backups.h"
#include "service/retention_scope.h"

namespace dorvik {

// The run that made the file task's newest backup, as date folder + "\" + "file_<source>_<stamp>"
// (the folder as the file pass builds it); empty when the task has none.
std::string NewestFileTaskBackup(const FileRetentionScope& scope, const CLoggedBackups& logged,
                                 IFileSystem& files);

// Whether an entry of a date folder is part of that run: its archive, its copy folder or the
// copy's archive.
bool IsPartOfRun(const std::string& path, const std::string& run);

// The path of the date folder of the SQL Server task's newest backup; empty when there is none.
std::string NewestSqlTaskBackup(const SqlRetentionScope& scope, const CLoggedBackups& logged,
                                IFileSystem& files);

}  // namespace dorvik
