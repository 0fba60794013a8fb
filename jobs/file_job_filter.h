#pragma once
// Reading a file task's filter value (<strfile>) and turning its items into masks. The value is
// not taken apart by its marks: marker words decide, with a fixed precedence.
#include <string>
#include <vector>

namespace dorvik {

enum class FilterScope {
  kAllFiles,     // "所有文件"
  kNames,        // "指定文件" and "指定文件名"
  kTypes,        // "指定文件" and "指定类型"
  kNoListKind,   // "指定文件" but neither kind of list: "去死"
  kNoScope,      // neither "所有文件" nor "指定文件": "也去死"
};

enum class FilterDirection { kNone, kInclude, kExclude };

constexpr std::size_t kMaxFilterItems = 1024;

struct FileFilter {
  FilterScope scope = FilterScope::kNoScope;
  FilterDirection direction = FilterDirection::kNone;
  std::vector<std::string> items;  // the list split at commas, empty items dropped, at most 1024
  std::size_t nDroppedItems = 0;   // items beyond the 1024th
};

FileFilter ParseFileFilter(const std::string& strFile);

// The name rule: an item without "." or with ".com", ".cn" or ".net" gets `suffix` appended
// (".*", or ".* " in the archiver's exclusion switches).
std::string ApplyNameRule(const std::string& item, const std::string& suffix = ".*");

// The type rule: "exe", ".exe" and "*.exe" all give "*.exe". False for an item with a "*" but
// no "*." (an unsupported form).
bool ApplyTypeRule(const std::string& item, std::string* mask);

// The first character of `text` that cmd would treat specially (& | < > ^ % " ( ) !), or 0.
// GBK trail bytes are skipped, so a Chinese name never counts.
char FindShellMetacharacter(const std::string& text);

}  // namespace dorvik
