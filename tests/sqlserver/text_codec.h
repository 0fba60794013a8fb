#pragma once
// The client side of the test server speaks GBK (the programs' ANSI code page); the server keeps
// its state and the Linux file names in UTF-8, as Wine does for the Windows programs' files.
#include <string>

namespace dorvik_sqlserver {

// Bytes that do not convert are passed on unchanged, so plain ASCII always survives.
std::string GbkToUtf8(const std::string& gbk);
std::string Utf8ToGbk(const std::string& utf8);

}  // namespace dorvik_sqlserver
