#include "service/task_list.h"

#include "config/document.h"

namespace dorvik {

std::vector<std::string> ServiceTaskRecords(const std::string& document, const char* section) {
  if (GetTag(document, section) == "|||") return {};
  return SplitRecords(section, document);
}

}  // namespace dorvik
