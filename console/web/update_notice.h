#pragma once
// The update notice published on the maker's web server, and whether it asks the user.
#include <string>

#include "dorvik_version.h"

namespace dorvik {

constexpr const char* kCurrentVersion = DORVIK_VERSION_TEXT;
constexpr const char* kUpdateQuestionCaption = "Varnel·Pellion";

struct UpdateNotice {
  std::string strVersion;  // VNLVersion
  std::string strUrl;      // VNLUpdateUrl
  std::string strAbout;    // VNLUpdateAbout
};

UpdateNotice ParseUpdateNotice(const std::string& text);

// A version with a "." that is greater than ours as a byte string ("1.10" and "2.0" are, "1.09"
// is not).
bool IsNewerVersion(const std::string& published);

std::string UpdateQuestion(const UpdateNotice& notice);

}  // namespace dorvik
