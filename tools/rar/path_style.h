#pragma once
// Path syntax of the platform the archiver runs on. Windows paths are GBK bytes whose trail
// bytes may be 0x5C, so separators are found character by character; POSIX paths are UTF-8,
// where only '/' separates.
#include <string>

#include "common/file_system.h"

namespace dorvik {
namespace rar {

class CPathStyle {
 public:
  static CPathStyle Windows() { return CPathStyle(true); }
  static CPathStyle Posix() { return CPathStyle(false); }
  static CPathStyle Of(const IFileSystem& fs) { return CPathStyle(fs.UsesWindowsPaths()); }

  char Separator() const { return m_bWindows ? '\\' : '/'; }
  bool IsWindows() const { return m_bWindows; }
  // Position of the last separator that is a character of its own, or npos.
  std::string::size_type LastSeparator(const std::string& path) const;
  // Folder part without the last separator ("" when there is none; "C:\" stays "C:\").
  std::string Parent(const std::string& path) const;
  std::string LastComponent(const std::string& path) const;
  // folder + separator + name, without doubling a separator the folder already ends in.
  std::string Join(const std::string& folder, const std::string& name) const;
  // The path without trailing separators (a bare root such as "C:\" or "/" is kept).
  std::string StripTrailingSeparators(const std::string& path) const;
  bool EndsWithSeparator(const std::string& path) const;

 private:
  explicit CPathStyle(bool bWindows) : m_bWindows(bWindows) {}
  bool IsSeparatorAt(const std::string& path, std::string::size_type i) const;
  bool m_bWindows;
};

}  // namespace rar
}  // namespace dorvik
