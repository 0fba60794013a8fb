#include "common/file_system_long_path.h"

#include <vector>

namespace dorvik {

namespace {

const std::u16string kLongPrefix = u"\\\\?\\";
const std::u16string kLongUncPrefix = u"\\\\?\\UNC\\";

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool HasDrive(const std::u16string& path) {
  return path.size() >= 2 && path[1] == u':' &&
         ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

bool IsUnc(const std::u16string& path) {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

bool IsDevicePath(const std::u16string& path) {
  return IsUnc(path) && path.size() >= 4 && (path[2] == u'?' || path[2] == u'.') && IsSeparator(path[3]);
}

// An absolute path split into its root (long form, no trailing separator) and its names, with
// "." dropped and ".." taking away the name before it (never the root).
struct SplitPath {
  std::u16string root;
  std::vector<std::u16string> names;

  void Add(const std::u16string& text, std::u16string::size_type from) {
    std::u16string name;
    for (std::u16string::size_type i = from; i <= text.size(); ++i) {
      if (i < text.size() && !IsSeparator(text[i])) {
        name += text[i];
        continue;
      }
      if (name == u"..") {
        if (!names.empty()) names.pop_back();
      } else if (!name.empty() && name != u".") {
        names.push_back(name);
      }
      name.clear();
    }
  }

  std::u16string Joined() const {
    std::u16string out = root;
    for (const std::u16string& name : names) out += u"\\" + name;
    return names.empty() ? out + u"\\" : out;
  }
};

// The root of an absolute path and where its names start.
SplitPath SplitAbsolute(const std::u16string& path) {
  SplitPath split;
  if (IsUnc(path)) {
    // \\server\share: both belong to the root.
    std::u16string::size_type end = 2;
    for (int part = 0; part < 2; ++part) {
      while (end < path.size() && IsSeparator(path[end])) ++end;
      while (end < path.size() && !IsSeparator(path[end])) ++end;
    }
    std::u16string serverShare = path.substr(2, end - 2);
    for (char16_t& c : serverShare) {
      if (c == u'/') c = u'\\';
    }
    split.root = kLongUncPrefix + serverShare;
    split.Add(path, end);
  } else {
    split.root = kLongPrefix + path.substr(0, 2);
    split.Add(path, 2);
  }
  return split;
}

}  // namespace

bool IsRelativePath(const std::u16string& path) {
  if (IsUnc(path)) return false;
  return !(HasDrive(path) && path.size() >= 3 && IsSeparator(path[2]));
}

std::u16string LongPathForm(const std::u16string& path, const std::u16string& currentFolder) {
  if (IsDevicePath(path)) return path;
  if (!IsRelativePath(path)) return SplitAbsolute(path).Joined();
  SplitPath split = SplitAbsolute(currentFolder);
  if (HasDrive(path)) {
    // "D:a": relative to the current folder when that is on D:, else to D:'s root.
    const bool bSameDrive = HasDrive(currentFolder) && (currentFolder[0] | 0x20) == (path[0] | 0x20);
    if (!bSameDrive) split = SplitAbsolute(path.substr(0, 2) + u"\\");
    split.Add(path, 2);
  } else {
    if (!path.empty() && IsSeparator(path[0])) split.names.clear();  // "\a": the current root
    split.Add(path, 0);
  }
  return split.Joined();
}

std::u16string WithoutLongPrefix(const std::u16string& path) {
  if (path.compare(0, kLongUncPrefix.size(), kLongUncPrefix) == 0) {
    return u"\\" + path.substr(kLongUncPrefix.size() - 1);
  }
  if (path.compare(0, kLongPrefix.size(), kLongPrefix) == 0) return path.substr(kLongPrefix.size());
  return path;
}

}  // namespace dorvik
