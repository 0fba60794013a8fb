#pragma once
// The maker's web addresses the console opens.

namespace dorvik {

constexpr const char* kProductWebAddress = "http://www.varnel.cn";
constexpr const char* kArchiverDownloadAddress = "http://www.varnel.cn/download/winrar.html";

}  // namespace dorvik
