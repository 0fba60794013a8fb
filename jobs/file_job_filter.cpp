#include "jobs/file_job_filter.h"

#include "common/gbk.h"
#include "common/text.h"
#include "config/document.h"

namespace dorvik {

FileFilter ParseFileFilter(const std::string& strFile) {
  FileFilter filter;
  if (Contains(strFile, "所有文件")) {
    filter.scope = FilterScope::kAllFiles;
    return filter;
  }
  if (!Contains(strFile, "指定文件")) return filter;
  if (Contains(strFile, "指定文件名")) {
    filter.scope = FilterScope::kNames;
    if (Contains(strFile, "备份此文件")) filter.direction = FilterDirection::kInclude;
    else if (Contains(strFile, "备份其它文件")) filter.direction = FilterDirection::kExclude;
  } else if (Contains(strFile, "指定类型")) {
    filter.scope = FilterScope::kTypes;
    if (Contains(strFile, "备份此类型")) filter.direction = FilterDirection::kInclude;
    else if (Contains(strFile, "备份其它类型")) filter.direction = FilterDirection::kExclude;
  } else {
    filter.scope = FilterScope::kNoListKind;
    return filter;
  }
  filter.items = SplitNonEmpty(GetTagValue(strFile, "#", "/#"), ',');
  if (filter.items.size() > kMaxFilterItems) {
    filter.nDroppedItems = filter.items.size() - kMaxFilterItems;
    filter.items.resize(kMaxFilterItems);
  }
  return filter;
}

std::string ApplyNameRule(const std::string& item, const std::string& suffix) {
  bool plainName = !Contains(item, ".") || Contains(item, ".com") || Contains(item, ".cn") ||
                   Contains(item, ".net");
  return plainName ? item + suffix : item;
}

bool ApplyTypeRule(const std::string& item, std::string* mask) {
  if (Contains(item, "*")) {
    if (!Contains(item, "*.")) return false;
    *mask = item;
  } else if (!Contains(item, ".")) {
    *mask = "*." + item;
  } else {
    *mask = "*" + item;
  }
  return true;
}

char FindShellMetacharacter(const std::string& text) {
  static const char kSpecial[] = "&|<>^%\"()!";
  std::string::size_type first = std::string::npos;
  char found = 0;
  for (const char* c = kSpecial; *c; ++c) {
    std::string::size_type pos = FindFirstChar(text, *c);
    if (pos < first) {
      first = pos;
      found = *c;
    }
  }
  return found;
}

}  // namespace dorvik
