#pragma once
// Which archiver path is accepted: at first start and in the settings dialog. Both refuse a path
// that names no archiver or no existing file; they differ only in how the name is recognised.
#include <functional>
#include <string>

namespace dorvik {

constexpr const char* kBadArchiverMessage = "rar路径错误，系统压缩功能将无法使用!!!";

enum class ArchiverNameRule {
  FirstStart,  // contains "Rar.exe" or "rar.exe", case-sensitive (RAR.EXE is refused)
  Settings,    // an already lower-cased path containing "\rar.exe" or "\winrar.exe"
};

enum class ArchiverPathCheck { Accepted, Misnamed, Missing };

// The name is judged before the file is looked for, so a misnamed path is reported as such
// whether or not it exists. An empty path is misnamed.
ArchiverPathCheck CheckArchiverPath(const std::string& path, ArchiverNameRule rule,
                                    const std::function<bool(const std::string&)>& fileExists);

// The first-start dialog's verdict.
bool IsAcceptedArchiverPath(const std::string& path,
                            const std::function<bool(const std::string&)>& fileExists);

}  // namespace dorvik
