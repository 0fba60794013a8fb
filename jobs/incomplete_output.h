#pragma once
// What a failed run's output is renamed to. A run that fails after it has made something keeps
// it (the freshest copy of everything it could read) under a name that neither retention's
// newest backup, the history browser nor a person takes for a good backup, while the name still
// starts as the task's backups do, so it expires by age like them.
#include <string>

namespace dorvik {

extern const char kIncompleteMark[];  // ".incomplete"

// "x.zip" -> "x.incomplete.zip" and "x.bak" -> "x.incomplete.bak"; anything else (a copy
// folder "file_<source>_<stamp>") gets the mark at its end.
std::string IncompleteOutputPath(const std::string& path);

// Whether a name (or path) is one IncompleteOutputPath made.
bool IsIncompleteOutputName(const std::string& name);

}  // namespace dorvik
