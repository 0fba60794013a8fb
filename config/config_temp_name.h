#pragma once
// Names of the files a save writes beside config.db before moving them over it, and of the
// lock that serialises updates; shared by the Win32 and POSIX implementations.
#include <string>

namespace dorvik {

// "<path>.<process>-<counter>.tmp": unique per process and per save.
std::string TempConfigName(const std::string& path, unsigned long processId, unsigned counter);
// Whether `candidate` is a name TempConfigName could have made for `path`.
bool IsTempConfigName(const std::string& path, const std::string& candidate);

// The named mutex of a config file: the lower-cased full path with its backslashes (whole
// characters only, never GBK trail bytes) turned into '/', which a kernel object name allows.
// Long paths are cut and end in a hash of the whole path, to stay within MAX_PATH.
std::string ConfigLockName(const std::string& fullPath);

}  // namespace dorvik
