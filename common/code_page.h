#pragma once
// GBK (code page 936) text to UTF-8 and back, for ZIP's UTF-8 names. Text that does not convert
// comes back as it was.
#include <string>

namespace dorvik {

std::string GbkToUtf8(const std::string& gbk);
std::string Utf8ToGbk(const std::string& utf8);

}  // namespace dorvik
