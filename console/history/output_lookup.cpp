#include "console/history/output_lookup.h"

#include "common/gbk.h"

namespace dorvik {

namespace {

std::string_view WithoutEndSlash(std::string_view path) {
  const std::size_t last = FindLastChar(path, '\\');
  return last != std::string_view::npos && last + 1 == path.size() ? path.substr(0, last) : path;
}

// The folder of a path; empty at a drive ("D:") or without a folder, where a listing would not
// mean the parent.
std::string_view ParentFolder(std::string_view path, std::string_view* name) {
  const std::size_t last = FindLastChar(path, '\\');
  if (last == std::string_view::npos) return std::string_view();
  *name = path.substr(last + 1);
  std::string_view parent = path.substr(0, last);
  return FindLastChar(parent, '\\') == std::string_view::npos ? std::string_view() : parent;
}

}  // namespace

// Only ASCII letters that are characters of their own fold: a GBK trail byte may look like one.
void COutputLookup::Fold(std::string_view text, std::string* key) const {
  key->assign(text.data(), text.size());
  if (!m_fs.UsesWindowsPaths()) return;
  for (std::size_t i = 0; i < key->size(); ++i) {
    const unsigned char c = static_cast<unsigned char>((*key)[i]);
    if (IsGbkLeadByte(c) && i + 1 < key->size()) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      (*key)[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
}

const COutputLookup::Folder& COutputLookup::FolderAt(std::string_view folder) {
  Fold(folder, &m_strFolderKey);
  auto known = m_folders.find(m_strFolderKey);
  if (known != m_folders.end()) return *known->second;
  Folder& result = *(m_folders[m_strFolderKey] = std::make_unique<Folder>());
  std::string_view name;
  const std::string_view parent = ParentFolder(folder, &name);
  if (!parent.empty()) {
    const Folder& up = FolderAt(parent);
    std::string nameKey;
    Fold(name, &nameKey);
    if (up.state == Folder::Missing || (up.state == Folder::Listed && up.entries.count(nameKey) == 0)) {
      result.state = Folder::Missing;
      return result;
    }
  }
  const std::string path(folder);
  std::vector<DirectoryEntry> entries;
  if (m_fs.ListDirectory(path, &entries)) {
    result.state = Folder::Listed;
    std::string key;
    for (DirectoryEntry& entry : entries) {
      Fold(entry.name, &key);
      result.entries[key] = std::move(entry);
    }
  } else {
    // A folder that exists but cannot be listed whole is asked path by path.
    result.state = m_fs.IsDirectory(path) ? Folder::Unlisted : Folder::Missing;
  }
  return result;
}

bool COutputLookup::Find(std::string_view path, DirectoryEntry* entry) {
  const std::string_view trimmed = WithoutEndSlash(path);
  std::string_view name;
  const std::string_view parent = ParentFolder(trimmed, &name);
  if (!parent.empty()) {
    const Folder& folder = FolderAt(parent);
    if (folder.state == Folder::Missing) return false;
    if (folder.state == Folder::Listed) {
      Fold(name, &m_strNameKey);
      auto found = folder.entries.find(m_strNameKey);
      if (found == folder.entries.end()) return false;
      *entry = found->second;
      return true;
    }
  }
  return m_fs.Stat(std::string(trimmed), entry);
}

}  // namespace dorvik
