#pragma once
// File names as the system's narrow text carries them: GBK where GBK spells a character, and
// the private form of common/file_system.h (0xFF and four upper-case hex digits per UTF-16
// unit) where it cannot. Every UTF-16 name has exactly one narrow form, and back.
#include <string>

namespace dorvik {

std::string NarrowName(const std::u16string& wide);
// False for text that is no narrow name: malformed GBK, a cut or lower-case escape, or an
// escape of a character GBK spells (a second name for one file, which could also hide a
// separator or ".." from a check made on the narrow text).
bool WideName(const std::string& narrow, std::u16string* wide);

// The same names to and from UTF-8 (ZIP's names); false when the input is malformed.
bool NarrowNameToUtf8(const std::string& narrow, std::string* utf8);
bool NarrowNameFromUtf8(const std::string& utf8, std::string* narrow);

}  // namespace dorvik
