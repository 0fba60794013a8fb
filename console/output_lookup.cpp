#include "console/output_lookup.h"

#include "common/gbk.h"

namespace dorvik {

namespace {

// The folder of a path without its trailing backslash; empty at a drive or without a folder,
// where listing would not mean the parent.
std::string ParentFolder(const std::string& path) {
  std::string folder = WithoutTrailingBackslash(DirectoryWithSlash(WithoutTrailingBackslash(path)));
  return FindLastChar(folder, '\\') == std::string::npos ? std::string() : folder;
}

}  // namespace

// Windows names compare without case; only ASCII letters that are characters of their own fold,
// since a GBK trail byte may look like one.
std::string COutputLookup::NameKey(const std::string& name) const {
  if (!m_fs.UsesWindowsPaths()) return name;
  std::string key = name;
  for (std::size_t i = 0; i < key.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(key[i]);
    if (IsGbkLeadByte(c) && i + 1 < key.size()) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      key[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return key;
}

const COutputLookup::Folder& COutputLookup::FolderAt(const std::string& folder) {
  std::unique_ptr<Folder>& slot = m_folders[NameKey(folder)];
  if (slot) return *slot;
  slot = std::make_unique<Folder>();
  Folder& result = *slot;
  const std::string parent = ParentFolder(folder);
  if (!parent.empty()) {
    const Folder& up = FolderAt(parent);
    if (up.state == Folder::Missing ||
        (up.state == Folder::Listed && up.entries.count(NameKey(LastPathComponent(folder))) == 0)) {
      result.state = Folder::Missing;
      return result;
    }
  }
  std::vector<DirectoryEntry> entries;
  if (m_fs.ListDirectory(folder, &entries)) {
    result.state = Folder::Listed;
    for (DirectoryEntry& entry : entries) result.entries[NameKey(entry.name)] = std::move(entry);
  } else {
    // A folder that exists but cannot be listed whole is asked path by path.
    result.state = m_fs.IsDirectory(folder) ? Folder::Unlisted : Folder::Missing;
  }
  return result;
}

bool COutputLookup::Find(const std::string& path, DirectoryEntry* entry) {
  const std::string trimmed = WithoutTrailingBackslash(path);
  const std::string parent = ParentFolder(trimmed);
  if (!parent.empty()) {
    const Folder& folder = FolderAt(parent);
    if (folder.state == Folder::Missing) return false;
    if (folder.state == Folder::Listed) {
      auto found = folder.entries.find(NameKey(LastPathComponent(trimmed)));
      if (found == folder.entries.end()) return false;
      *entry = found->second;
      return true;
    }
  }
  return m_fs.Stat(trimmed, entry);
}

}  // namespace dorvik
