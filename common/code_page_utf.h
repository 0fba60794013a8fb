#pragma once
// UTF-8 and UTF-16 as file names need them. NTFS names are any 16-bit units, unpaired
// surrogates included, so those travel as the three-byte form their value would have in UTF-8
// (WTF-8) and come back unchanged; everything else is strict UTF-8.
#include <string>

namespace dorvik {

std::string Utf16ToUtf8(const std::u16string& wide);
// False for text that is not UTF-8 (overlong forms, stray or missing continuation bytes,
// values past U+10FFFF, a surrogate pair spelled as two three-byte forms).
bool Utf8ToUtf16(const std::string& utf8, std::u16string* wide);

}  // namespace dorvik
