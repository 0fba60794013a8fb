#pragma once
// GBK (code page 936) text to UTF-8 and back, for ZIP's UTF-8 names. Text that does not convert
// comes back as it was.
#include <string>

namespace dorvik {

std::string GbkToUtf8(const std::string& gbk);
std::string Utf8ToGbk(const std::string& utf8);

// File names between the narrow code page and UTF-16, strictly: false for bytes that are no
// character and for a character that has no form there (no substitute, no best fit). Windows
// takes the ANSI code page, which the A functions spoke (GBK on the target machines).
bool GbkToUtf16(const std::string& gbk, std::u16string* wide);
bool Utf16ToGbk(const std::u16string& wide, std::string* gbk);

}  // namespace dorvik
