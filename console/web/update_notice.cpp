#include "console/web/update_notice.h"

#include "common/text.h"
#include "config/document.h"

namespace dorvik {

UpdateNotice ParseUpdateNotice(const std::string& text) {
  return UpdateNotice{GetTag(text, "VNLVersion"), GetTag(text, "VNLUpdateUrl"),
                      GetTag(text, "VNLUpdateAbout")};
}

bool IsNewerVersion(const std::string& published) {
  return Contains(published, ".") && published > kCurrentVersion;
}

std::string UpdateQuestion(const UpdateNotice& notice) {
  return "发现新版本:" + notice.strVersion + "\n\n 升级描述:\n " + notice.strAbout +
         "\n\n是否查看新的版本？";
}

}  // namespace dorvik
