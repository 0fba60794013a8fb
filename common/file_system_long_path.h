#pragma once
// Paths as the Win32 W functions take them past 260 characters and with every name exactly as
// given: "\\?\C:\..." and "\\?\UNC\server\share\...". The system leaves such a path untouched
// (a name's trailing dots and blanks stay, and so do doubled separators, "." and ".."), so
// the forms the system would resolve are resolved here first.
#include <string>

namespace dorvik {

// Whether the path needs the current folder to become absolute ("a\b", "\a", "C:a").
bool IsRelativePath(const std::u16string& path);

// The long form of `path`; `currentFolder` (absolute) completes a relative path. A path already
// in the \\?\ or \\.\ form is taken as it is.
std::u16string LongPathForm(const std::u16string& path, const std::u16string& currentFolder);

// The usual form of a long path ("\\?\C:\a" -> "C:\a", "\\?\UNC\srv\s" -> "\\srv\s").
std::u16string WithoutLongPrefix(const std::u16string& path);

}  // namespace dorvik
