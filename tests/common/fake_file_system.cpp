#include "tests/common/fake_file_system.h"

#include <algorithm>

#include "common/code_page.h"
#include "common/gbk.h"

namespace dorvik {

namespace {

class CFakeFile : public IFile {
 public:
  explicit CFakeFile(std::shared_ptr<std::string> data) : m_data(std::move(data)) {}
  bool Read(char* buffer, std::size_t size, std::size_t* got) override {
    *got = m_nPos >= m_data->size() ? 0 : std::min(size, m_data->size() - m_nPos);
    m_data->copy(buffer, *got, m_nPos);
    m_nPos += *got;
    return true;
  }
  bool Write(const char* data, std::size_t size) override {
    if (!WriteAt(m_nPos, data, size)) return false;
    m_nPos += size;
    return true;
  }
  bool ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    if (offset + size > m_data->size()) return false;
    m_data->copy(buffer, size, static_cast<std::size_t>(offset));
    return true;
  }
  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    if (m_data->size() < offset + size) m_data->resize(static_cast<std::size_t>(offset + size));
    m_data->replace(static_cast<std::size_t>(offset), size, data, size);
    return true;
  }
  std::uint64_t Size() override { return m_data->size(); }
  bool Truncate(std::uint64_t size) override {
    m_data->resize(static_cast<std::size_t>(size));
    m_nPos = static_cast<std::size_t>(size);
    return true;
  }
  bool Close() override { return true; }

 private:
  std::shared_ptr<std::string> m_data;
  std::size_t m_nPos = 0;
};

}  // namespace

std::string CFakeFileSystem::Key(const std::string& path) {
  std::string key = AsciiLower(path);
  while (key.size() > 1 && FindLastChar(key, '\\') == key.size() - 1) key.pop_back();
  return key;
}

std::string CFakeFileSystem::ParentKey(const std::string& key) {
  std::string::size_type pos = FindLastChar(key, '\\');
  return pos == std::string::npos ? std::string() : key.substr(0, pos);
}

bool CFakeFileSystem::ParentIsFolder(const std::string& key) const {
  std::string parent = ParentKey(key);
  if (parent.empty()) return false;
  if (IsDriveRoot(parent)) return true;
  const Node* node = NodeAt(parent);
  return node && node->isDirectory;
}

std::string CFakeFileSystem::Resolve(const std::string& key, bool bFollowLast) const {
  std::string resolved;
  std::string::size_type from = 0;
  for (int hops = 0; from <= key.size() && hops < 64;) {
    std::string::size_type cut = FindFirstChar(key, '\\', from);
    if (cut == std::string::npos) cut = key.size();
    resolved += (resolved.empty() && from == 0 ? "" : "\\") + key.substr(from, cut - from);
    from = cut + 1;
    auto it = m_nodes.find(resolved);
    if (it == m_nodes.end() || it->second.target.empty()) continue;
    if (cut == key.size() && !bFollowLast) break;
    resolved = it->second.target;
    ++hops;
    // The target may itself be a link, or lie behind one.
    resolved = Resolve(resolved, true);
  }
  return resolved;
}

const CFakeFileSystem::Node* CFakeFileSystem::NodeAt(const std::string& key) const {
  auto it = m_nodes.find(Resolve(key, true));
  return it == m_nodes.end() ? nullptr : &it->second;
}

bool CFakeFileSystem::Fails(const std::string& path) const {
  return m_failing.count(Key(path)) != 0;
}

bool CFakeFileSystem::Failure(const std::string& path) {
  m_strLastError = Fails(path) ? "Access is denied (5)" : "The system cannot find the path specified (3)";
  return false;
}

CFakeFileSystem::Node* CFakeFileSystem::Find(const std::string& path) {
  auto it = m_nodes.find(Resolve(Key(path), true));
  return Fails(path) || it == m_nodes.end() ? nullptr : &it->second;
}

void CFakeFileSystem::AddFolder(const std::string& path, std::int64_t lastWriteTime) {
  std::string key = Key(path);
  if (key.empty() || IsDriveRoot(key)) return;
  std::string::size_type pos = FindLastChar(path, '\\');
  if (pos != std::string::npos && pos > 0) AddFolder(path.substr(0, pos));
  Node& node = m_nodes[key];
  node.path = path;
  node.isDirectory = true;
  node.lastWriteTime = lastWriteTime;
}

void CFakeFileSystem::AddFile(const std::string& path, const std::string& content,
                             std::int64_t lastWriteTime) {
  std::string::size_type pos = FindLastChar(path, '\\');
  if (pos != std::string::npos) AddFolder(path.substr(0, pos));
  Node& node = m_nodes[Key(path)];
  node.path = path;
  node.isDirectory = false;
  node.content = std::make_shared<std::string>(content);
  node.lastWriteTime = lastWriteTime;
}

void CFakeFileSystem::AddLink(const std::string& path, const std::string& target) {
  Node& node = m_nodes[Key(path)];
  node.path = path;
  node.target = Key(target);
}

void CFakeFileSystem::FailOn(const std::string& path) { m_failing.insert(Key(path)); }

std::string CFakeFileSystem::FileContent(const std::string& path) const {
  auto it = m_nodes.find(Key(path));
  return it == m_nodes.end() || it->second.isDirectory ? std::string() : *it->second.content;
}

std::vector<std::string> CFakeFileSystem::ListTree(const std::string& folder) const {
  std::string prefix = Key(folder) + "\\";
  std::vector<std::string> paths;
  for (const auto& entry : m_nodes) {
    if (entry.first.compare(0, prefix.size(), prefix) == 0) paths.push_back(entry.second.path);
  }
  return paths;
}

bool CFakeFileSystem::Exists(const std::string& path) {
  return IsDriveRoot(Key(path)) || Find(path) != nullptr;
}

bool CFakeFileSystem::IsDirectory(const std::string& path) {
  if (IsDriveRoot(Key(path))) return true;
  const Node* node = Find(path);
  return node != nullptr && node->isDirectory;
}

bool CFakeFileSystem::Stat(const std::string& path, DirectoryEntry* entry) {
  *entry = DirectoryEntry();
  if (IsDriveRoot(Key(path))) {
    entry->isDirectory = true;
    return true;
  }
  const Node* node = Find(path);
  if (node == nullptr) return Failure(path);
  entry->name = LastPathComponent(node->path);
  entry->isDirectory = node->isDirectory;
  entry->size = node->isDirectory ? 0 : node->content->size();
  entry->lastWriteTime = node->lastWriteTime;
  entry->creationTime = node->lastWriteTime;
  return true;
}

bool CFakeFileSystem::MakeDirectory(const std::string& path) {
  if (Fails(path)) return Failure(path);
  if (IsDriveRoot(Key(path))) return true;
  if (const Node* node = Find(path)) return node->isDirectory || Failure(path);
  return MakeNewFolder(path);
}

bool CFakeFileSystem::MakeNewFolder(const std::string& path) {
  std::string key = Resolve(Key(path), true);
  if (Fails(path) || m_nodes.count(key) != 0 || !ParentIsFolder(key)) return Failure(path);
  Node& node = m_nodes[key];
  node.path = path;
  node.isDirectory = true;
  node.lastWriteTime = m_nNewFileTime;
  return true;
}

bool CFakeFileSystem::ListDirectory(const std::string& folder, std::vector<DirectoryEntry>* entries) {
  if (!IsDirectory(folder)) return Failure(folder);
  std::string key = Resolve(Key(folder), true);
  for (const auto& entry : m_nodes) {
    if (ParentKey(entry.first) != key) continue;
    const Node* target = NodeAt(entry.first);
    DirectoryEntry listed;
    listed.name = LastPathComponent(entry.second.path);
    listed.isLink = !entry.second.target.empty();
    listed.isHiddenOrSystem = entry.second.bHiddenOrSystem;
    listed.isDirectory = target && target->isDirectory;
    listed.size = entry.second.isDirectory || listed.isLink ? 0 : entry.second.content->size();
    listed.lastWriteTime = entry.second.lastWriteTime;
    listed.creationTime = entry.second.lastWriteTime;
    entries->push_back(listed);
  }
  return true;
}

bool CFakeFileSystem::RemoveFile(const std::string& path) {
  auto it = m_nodes.find(Resolve(Key(path), false));
  if (Fails(path) || it == m_nodes.end() || it->second.isDirectory) return Failure(path);
  const Node* target = NodeAt(it->first);
  if (!it->second.target.empty() && target && target->isDirectory) return Failure(path);
  m_nodes.erase(it);
  return true;
}

bool CFakeFileSystem::ClearReadOnly(const std::string& path) {
  return Failure(path);  // nothing here is ever read-only
}

bool CFakeFileSystem::RemoveEmptyDirectory(const std::string& path) {
  std::string key = Resolve(Key(path), false);
  auto it = m_nodes.find(key);
  if (Fails(path) || it == m_nodes.end()) return Failure(path);
  if (!it->second.target.empty()) {
    // As on Windows: a folder link goes, whatever its target holds.
    const Node* target = NodeAt(key);
    if (!target || !target->isDirectory) return Failure(path);
    m_nodes.erase(it);
    return true;
  }
  if (!it->second.isDirectory) return Failure(path);
  for (const auto& entry : m_nodes) {
    if (ParentKey(entry.first) == key) return Failure(path);
  }
  m_nodes.erase(it);
  return true;
}

bool CFakeFileSystem::RemoveLink(const std::string& path) {
  auto it = m_nodes.find(Resolve(Key(path), false));
  if (Fails(path) || it == m_nodes.end() || it->second.target.empty()) return Failure(path);
  m_nodes.erase(it);
  return true;
}

bool CFakeFileSystem::FindRealPath(const std::string& path, std::string* realPath) {
  realPath->clear();
  const Node* node = Find(path);
  if (node == nullptr) return Failure(path);
  *realPath = node->path;
  return true;
}

bool CFakeFileSystem::ReadWholeFile(const std::string& path, std::string* content) {
  ++nReads;
  content->clear();
  const Node* node = Find(path);
  if (node == nullptr || node->isDirectory) return Failure(path);
  *content = *node->content;
  return true;
}

bool CFakeFileSystem::AppendToFile(const std::string& path, const std::string& bytes) {
  if (Fails(path)) return Failure(path);
  Node* node = Find(path);
  if (node == nullptr) {
    if (!ParentIsFolder(Key(path))) return Failure(path);
    AddFile(path, bytes);
    return true;
  }
  if (node->isDirectory) return Failure(path);
  *node->content += bytes;
  return true;
}

std::unique_ptr<IFile> CFakeFileSystem::OpenForReading(const std::string& path) {
  const Node* node = Find(path);
  if (node == nullptr || node->isDirectory) {
    Failure(path);
    return nullptr;
  }
  return std::unique_ptr<IFile>(new CFakeFile(node->content));
}

std::unique_ptr<IFile> CFakeFileSystem::CreateNewFile(const std::string& path) {
  if (Fails(path) || m_nodes.count(Key(path)) != 0 || !ParentIsFolder(Key(path))) {
    Failure(path);
    return nullptr;
  }
  AddFile(path);
  return std::unique_ptr<IFile>(new CFakeFile(m_nodes[Key(path)].content));
}

bool CFakeFileSystem::MoveOver(const std::string& from, const std::string& to) {
  const Node* node = Find(from);
  if (node == nullptr || Fails(to) || !ParentIsFolder(Key(to))) return Failure(node ? to : from);
  // A folder moves with everything below it.
  const std::string fromKey = Key(from);
  std::map<std::string, Node> moved;
  for (auto it = m_nodes.begin(); it != m_nodes.end();) {
    if (it->first != fromKey && it->first.compare(0, fromKey.size() + 1, fromKey + "\\") != 0) {
      ++it;
      continue;
    }
    Node child = it->second;
    child.path = to + child.path.substr(from.size());
    moved[Key(to) + it->first.substr(fromKey.size())] = child;
    it = m_nodes.erase(it);
  }
  for (auto& entry : moved) m_nodes[entry.first] = entry.second;  // replacing what `to` was
  return true;
}

bool CFakeFileSystem::MoveToNewName(const std::string& from, const std::string& to) {
  if (Find(to) != nullptr) return Failure(to);
  return MoveOver(from, to);
}

void CFakeFileSystem::MarkHiddenOrSystem(const std::string& path) {
  Node* node = Find(path);
  if (node != nullptr) node->bHiddenOrSystem = true;
}

bool CFakeFileSystem::SetLastWriteTime(const std::string& path, std::int64_t epochSeconds) {
  Node* node = Find(path);
  if (node == nullptr) return Failure(path);
  node->lastWriteTime = epochSeconds;
  return true;
}

std::string CFakeFileSystem::NameToUtf8(const std::string& name) { return GbkToUtf8(name); }

std::string CFakeFileSystem::NameFromUtf8(const std::string& utf8) { return Utf8ToGbk(utf8); }

}  // namespace dorvik
