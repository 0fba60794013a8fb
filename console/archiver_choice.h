#pragma once
// The first-start archiver choice: which chosen path is accepted.
#include <functional>
#include <string>

namespace dorvik {

constexpr const char* kBadArchiverMessage = "rar路径错误，系统压缩功能将无法使用!!!";

// An existing file whose path contains "Rar.exe" or "rar.exe" (case-sensitive: RAR.EXE is
// refused). Empty paths are refused.
bool IsAcceptedArchiverPath(const std::string& path,
                            const std::function<bool(const std::string&)>& fileExists);

}  // namespace dorvik
