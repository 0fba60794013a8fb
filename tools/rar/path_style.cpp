#include "tools/rar/path_style.h"

#include "common/gbk.h"

namespace dorvik {
namespace rar {

std::string::size_type CPathStyle::LastSeparator(const std::string& path) const {
  if (!m_bWindows) return path.rfind('/');
  std::string::size_type back = FindLastChar(path, '\\');
  std::string::size_type slash = path.rfind('/');  // 0x2F is never a GBK trail byte
  if (back == std::string::npos) return slash;
  if (slash == std::string::npos) return back;
  return back > slash ? back : slash;
}

bool CPathStyle::IsSeparatorAt(const std::string& path, std::string::size_type i) const {
  return LastSeparator(path.substr(0, i + 1)) == i;
}

bool CPathStyle::EndsWithSeparator(const std::string& path) const {
  return !path.empty() && IsSeparatorAt(path, path.size() - 1);
}

std::string CPathStyle::StripTrailingSeparators(const std::string& path) const {
  std::string out = path;
  while (EndsWithSeparator(out)) {
    const bool bRoot = out.size() == 1 || (m_bWindows && out.size() == 3 && out[1] == ':');
    if (bRoot) break;
    out.erase(out.size() - 1);
  }
  return out;
}

std::string CPathStyle::Parent(const std::string& path) const {
  std::string::size_type pos = LastSeparator(path);
  if (pos == std::string::npos) return "";
  if (pos == 0 || (m_bWindows && pos == 2 && path[1] == ':')) return path.substr(0, pos + 1);
  return path.substr(0, pos);
}

std::string CPathStyle::LastComponent(const std::string& path) const {
  std::string::size_type pos = LastSeparator(path);
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string CPathStyle::Join(const std::string& folder, const std::string& name) const {
  if (folder.empty()) return name;
  if (EndsWithSeparator(folder)) return folder + name;
  return folder + Separator() + name;
}

}  // namespace rar
}  // namespace dorvik
