#pragma once
// A SQL Server task's project name becomes a folder below its storage folder, and the retention
// cleanup deletes dated folders inside it. Only a name the file system takes literally may be
// used: anything it would resolve to another folder (the storage folder itself, its parent, a
// device) would hand other tasks' backups to this task.
#include <string>

namespace dorvik {

// True when despath + "\" + name names a plain child folder of exactly that name: well-formed
// GBK, not empty, no path separators, wildcards, colons or control characters, no trailing dot
// or blank (Windows drops them, so "." and ".." are refused too), and no device name (CON, NUL,
// COM1... with or without an extension).
bool IsPlainProjectName(const std::string& name);

}  // namespace dorvik
