#pragma once
// The newest backup a task has in its storage folder. Retention always keeps it, whatever its
// age: a task whose runs keep failing (source gone, disk full, server down) must not lose its
// last good backup to age alone.
#include <string>

#include "common/file_system.h"
#include "service/retention_scope.h"

namespace dorvik {

// The path (date folder + "\" + name, as the file pass builds it) of the task's newest archive
// or copy folder across its date folders, by last-write time; empty when it has none. An empty
// copy folder is what a failed run leaves, not a backup.
std::string NewestFileTaskBackup(const FileRetentionScope& scope, IFileSystem& files);

// The path of the newest date folder of the project folder that holds anything; empty when
// there is none. An empty date folder is what a failed run leaves, not a backup.
std::string NewestSqlTaskBackup(const SqlRetentionScope& scope, IFileSystem& files);

}  // namespace dorvik
