#include "tools/rar/selection.h"

#include "common/wildcard.h"
#include "tools/rar/path_style.h"

namespace dorvik {
namespace rar {

namespace {

class CSelector {
 public:
  CSelector(IFileSystem& fs, bool bRecurse, const std::vector<std::string>& excludes,
            const std::function<bool(const std::string&)>& skip, Selection& out)
      : m_fs(fs), m_style(CPathStyle::Of(fs)), m_bRecurse(bRecurse), m_excludes(excludes), m_skip(skip),
        m_out(out) {}

  void AddSource(const std::string& source) {
    const std::string path = m_style.StripTrailingSeparators(source);
    DirectoryEntry info;
    if (!HasWildcard(m_style.LastComponent(path)) && m_fs.Stat(path, &info)) {
      const std::string name = m_style.LastComponent(path);
      if (info.isDirectory) {
        const std::size_t before = m_out.items.size();
        if (!name.empty() && !IsExcluded(name, name, path)) {
          Add(path, name, info, true);
          Walk(path, name, nullptr);
        } else if (name.empty()) {
          Walk(path, "", nullptr);  // a bare root: names start below it
        }
        if (m_out.items.size() == before) m_out.missing.push_back(source);
      } else if (!IsExcluded(name, name, path) && !SkipFile(path)) {
        info.name = name;
        Add(path, name, info, false);
      } else {
        m_out.missing.push_back(source);
      }
      return;
    }
    const std::string mask = m_style.LastComponent(path);
    if (!HasWildcard(mask)) {
      m_out.missing.push_back(source);
      return;
    }
    const std::size_t before = m_out.items.size();
    Walk(m_style.Parent(path), "", &mask);
    if (m_out.items.size() == before) m_out.missing.push_back(source);
  }

 private:
  bool IsExcluded(const std::string& name, const std::string& relative, const std::string& full) {
    for (const std::string& mask : m_excludes) {
      if (m_style.LastSeparator(mask) == std::string::npos) {
        if (MatchesMask(name, mask)) return true;
      } else if (MatchesMask(relative, mask) || MatchesMask(full, mask)) {
        return true;
      }
    }
    return false;
  }

  bool SkipFile(const std::string& path) { return m_skip && m_skip(path); }

  void Add(const std::string& diskPath, const std::string& relative, const DirectoryEntry& info,
           bool bDirectory) {
    SelectedItem item;
    item.diskPath = diskPath;
    item.entryName = ToEntryName(m_fs, relative) + (bDirectory ? "/" : "");
    item.info = info;
    item.info.isDirectory = bDirectory;
    m_out.items.push_back(item);
  }

  static bool TakesEverything(const std::string& mask) { return mask == "*" || mask == "*.*"; }

  // Lists `folder` (relative name `relative`) and takes what it holds. With a mask, files must
  // match it and subfolders are entered only with -r; without one, the whole tree is taken.
  void Walk(const std::string& folder, const std::string& relative, const std::string* mask) {
    std::vector<DirectoryEntry> entries;
    if (!m_fs.ListDirectory(folder.empty() ? "." : folder, &entries)) {
      m_out.unreadable.push_back(folder);
      return;
    }
    for (const DirectoryEntry& entry : entries) {
      const std::string disk = m_style.Join(folder, entry.name);
      const std::string rel = m_style.Join(relative, entry.name);
      if (IsExcluded(entry.name, rel, disk)) continue;
      if (entry.isDirectory) {
        if (mask != nullptr && !m_bRecurse) continue;
        if (mask == nullptr || TakesEverything(*mask)) Add(disk, rel, entry, true);
        Walk(disk, rel, mask);
      } else if ((mask == nullptr || MatchesMask(entry.name, *mask)) && !SkipFile(disk)) {
        Add(disk, rel, entry, false);
      }
    }
  }

  IFileSystem& m_fs;
  CPathStyle m_style;
  bool m_bRecurse;
  const std::vector<std::string>& m_excludes;
  const std::function<bool(const std::string&)>& m_skip;
  Selection& m_out;
};

}  // namespace

bool HasWildcard(const std::string& text) {
  return text.find('*') != std::string::npos || text.find('?') != std::string::npos;
}

std::string ToEntryName(IFileSystem& fs, const std::string& relativePath) {
  std::string name = fs.NameToUtf8(relativePath);
  // After the conversion the text is UTF-8, where 0x5C is always a character of its own.
  if (CPathStyle::Of(fs).IsWindows()) {
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
  }
  return name;
}

Selection SelectFiles(IFileSystem& fs, const std::vector<std::string>& sources, bool bRecurse,
                      const std::vector<std::string>& excludes,
                      const std::function<bool(const std::string& diskPath)>& skip) {
  Selection out;
  CSelector selector(fs, bRecurse, excludes, skip, out);
  for (const std::string& source : sources) selector.AddSource(source);
  return out;
}

}  // namespace rar
}  // namespace dorvik
