#include "tests/common/fake_file_system.h"

#include "common/gbk.h"

namespace dorvik {

std::string FakeFileSystem::Key(const std::string& path) {
  std::string key = AsciiLower(path);
  while (key.size() > 1 && FindLastChar(key, '\\') == key.size() - 1) key.pop_back();
  return key;
}

std::string FakeFileSystem::ParentKey(const std::string& key) {
  std::string::size_type pos = FindLastChar(key, '\\');
  return pos == std::string::npos ? std::string() : key.substr(0, pos);
}

bool FakeFileSystem::ParentIsFolder(const std::string& key) const {
  std::string parent = ParentKey(key);
  if (parent.empty()) return false;
  if (parent.size() == 2 && parent[1] == ':') return true;  // drive root
  const Node* node = Find(parent);
  return node && node->isDirectory;
}

std::string FakeFileSystem::Resolve(const std::string& key, bool bFollowLast) const {
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

const FakeFileSystem::Node* FakeFileSystem::Find(const std::string& key) const {
  auto it = m_nodes.find(Resolve(key, true));
  return it == m_nodes.end() ? nullptr : &it->second;
}

bool FakeFileSystem::Fails(const std::string& path) const {
  return m_failing.count(Key(path)) != 0;
}

void FakeFileSystem::AddFolder(const std::string& path, std::int64_t lastWriteTime) {
  std::string key = Key(path);
  if (key.empty() || (key.size() == 2 && key[1] == ':')) return;
  std::string::size_type pos = FindLastChar(path, '\\');
  if (pos != std::string::npos && pos > 0) AddFolder(path.substr(0, pos));
  Node& node = m_nodes[key];
  node.path = path;
  node.isDirectory = true;
  node.lastWriteTime = lastWriteTime;
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& content,
                             std::int64_t lastWriteTime) {
  std::string::size_type pos = FindLastChar(path, '\\');
  if (pos != std::string::npos) AddFolder(path.substr(0, pos));
  Node& node = m_nodes[Key(path)];
  node.path = path;
  node.isDirectory = false;
  node.content = content;
  node.lastWriteTime = lastWriteTime;
}

void FakeFileSystem::AddLink(const std::string& path, const std::string& target) {
  Node& node = m_nodes[Key(path)];
  node.path = path;
  node.target = Key(target);
}

void FakeFileSystem::FailOn(const std::string& path) { m_failing.insert(Key(path)); }

std::string FakeFileSystem::FileContent(const std::string& path) const {
  auto it = m_nodes.find(Key(path));
  return it == m_nodes.end() || it->second.isDirectory ? std::string() : it->second.content;
}

std::vector<std::string> FakeFileSystem::ListTree(const std::string& folder) const {
  std::string prefix = Key(folder) + "\\";
  std::vector<std::string> paths;
  for (const auto& entry : m_nodes) {
    if (entry.first.compare(0, prefix.size(), prefix) == 0) paths.push_back(entry.second.path);
  }
  return paths;
}

bool FakeFileSystem::Exists(const std::string& path) {
  std::string key = Key(path);
  if (key.size() == 2 && key[1] == ':') return true;
  return !Fails(path) && Find(key) != nullptr;
}

bool FakeFileSystem::IsDirectory(const std::string& path) {
  std::string key = Key(path);
  if (key.size() == 2 && key[1] == ':') return true;
  const Node* node = Find(key);
  return !Fails(path) && node && node->isDirectory;
}

bool FakeFileSystem::CreateDirectory(const std::string& path) {
  if (Fails(path)) return false;
  if (const Node* node = Find(Key(path))) return node->isDirectory;
  return MakeNewFolder(path);
}

bool FakeFileSystem::MakeNewFolder(const std::string& path) {
  std::string key = Resolve(Key(path), true);
  if (Fails(path) || m_nodes.count(key) != 0 || !ParentIsFolder(key)) return false;
  Node& node = m_nodes[key];
  node.path = path;
  node.isDirectory = true;
  return true;
}

std::vector<DirectoryEntry> FakeFileSystem::ListDirectory(const std::string& folder) {
  std::vector<DirectoryEntry> entries;
  if (Fails(folder)) return entries;
  std::string key = Resolve(Key(folder), true);
  for (const auto& entry : m_nodes) {
    if (ParentKey(entry.first) != key) continue;
    const Node* target = Find(entry.first);
    DirectoryEntry listed;
    listed.name = LastPathComponent(entry.second.path);
    listed.isLink = !entry.second.target.empty();
    listed.isDirectory = target && target->isDirectory;
    listed.lastWriteTime = entry.second.lastWriteTime;
    listed.size = static_cast<std::int64_t>(entry.second.content.size());
    entries.push_back(listed);
  }
  return entries;
}

bool FakeFileSystem::DeleteFile(const std::string& path) {
  auto it = m_nodes.find(Resolve(Key(path), false));
  if (Fails(path) || it == m_nodes.end() || it->second.isDirectory) return false;
  const Node* target = Find(it->first);
  if (!it->second.target.empty() && target && target->isDirectory) return false;
  m_nodes.erase(it);
  return true;
}

bool FakeFileSystem::RemoveDirectory(const std::string& path) {
  std::string key = Resolve(Key(path), false);
  auto it = m_nodes.find(key);
  if (Fails(path) || it == m_nodes.end()) return false;
  if (!it->second.target.empty()) {
    // As on Windows: a folder link goes, whatever its target holds.
    const Node* target = Find(key);
    if (!target || !target->isDirectory) return false;
    m_nodes.erase(it);
    return true;
  }
  if (!it->second.isDirectory) return false;
  for (const auto& entry : m_nodes) {
    if (ParentKey(entry.first) == key) return false;
  }
  m_nodes.erase(it);
  return true;
}

bool FakeFileSystem::RemoveLink(const std::string& path) {
  auto it = m_nodes.find(Resolve(Key(path), false));
  if (Fails(path) || it == m_nodes.end() || it->second.target.empty()) return false;
  m_nodes.erase(it);
  return true;
}

bool FakeFileSystem::FindRealPath(const std::string& path, std::string* realPath) {
  realPath->clear();
  std::string key = Resolve(Key(path), true);
  auto it = m_nodes.find(key);
  if (Fails(path) || it == m_nodes.end()) return false;
  *realPath = it->second.path;
  return true;
}

bool FakeFileSystem::ReadFile(const std::string& path, std::string* content) {
  ++nReads;
  content->clear();
  const Node* node = Find(Key(path));
  if (Fails(path) || !node || node->isDirectory) return false;
  *content = node->content;
  return true;
}

bool FakeFileSystem::AppendToFile(const std::string& path, const std::string& bytes) {
  std::string key = Resolve(Key(path), true);
  if (Fails(path)) return false;
  auto it = m_nodes.find(key);
  if (it == m_nodes.end()) {
    if (!ParentIsFolder(key)) return false;
    Node& node = m_nodes[key];
    node.path = path;
    node.content = bytes;
    return true;
  }
  if (it->second.isDirectory) return false;
  it->second.content += bytes;
  return true;
}

}  // namespace dorvik
