#include "tests/rar/fake_rar_file_system.h"

#include <iconv.h>

#include <algorithm>

#include "common/gbk.h"

namespace dorvik {
namespace rar {

namespace {

std::string Iconv(const std::string& text, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out(text.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  char* dst = &out[0];
  std::size_t inLeft = text.size(), outLeft = out.size();
  iconv(cd, &in, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

class CFakeFile : public IRarFile {
 public:
  explicit CFakeFile(std::shared_ptr<std::string> data) : m_data(std::move(data)) {}
  bool Read(char* buffer, std::size_t size, std::size_t& got) override {
    got = m_nPos >= m_data->size() ? 0 : std::min(size, m_data->size() - m_nPos);
    m_data->copy(buffer, got, m_nPos);
    m_nPos += got;
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

std::string CFakeRarFileSystem::Key(const std::string& path) const {
  return AsciiLower(Style().StripTrailingSeparators(path));
}

void CFakeRarFileSystem::AddFolder(const std::string& path) {
  const std::string self = Style().StripTrailingSeparators(path);
  const std::string parent = Style().Parent(self);
  if (!parent.empty() && parent != self && !Has(parent)) AddFolder(parent);
  Node& node = m_nodes[Key(path)];
  node.path = Style().StripTrailingSeparators(path);
  node.bDirectory = true;
  node.time = m_fileTime;
}

void CFakeRarFileSystem::AddFile(const std::string& path, const std::string& data) {
  const std::string parent = Style().Parent(path);
  if (!parent.empty() && !Has(parent)) AddFolder(parent);
  Node& node = m_nodes[Key(path)];
  node.path = path;
  node.bDirectory = false;
  *node.data = data;
  node.time = m_fileTime;
}

std::string CFakeRarFileSystem::Data(const std::string& path) const {
  auto it = m_nodes.find(Key(path));
  return it == m_nodes.end() ? std::string() : *it->second.data;
}

bool CFakeRarFileSystem::Stat(const std::string& path, FileInfo& info) {
  auto it = m_nodes.find(Key(path));
  if (it == m_nodes.end()) return false;
  info.name = Style().LastComponent(it->second.path);
  info.bDirectory = it->second.bDirectory;
  info.size = it->second.bDirectory ? 0 : it->second.data->size();
  info.lastWrite = it->second.time;
  return true;
}

bool CFakeRarFileSystem::ListFolder(const std::string& folder, std::vector<FileInfo>& entries) {
  const std::string key = folder == "." ? "" : Key(folder);
  if (!key.empty() && (!Has(folder) || !m_nodes[key].bDirectory)) return false;
  for (const auto& node : m_nodes) {
    if (AsciiLower(Style().Parent(node.second.path)) != key) continue;
    FileInfo info;
    Stat(node.second.path, info);
    entries.push_back(info);
  }
  return true;
}

std::unique_ptr<IRarFile> CFakeRarFileSystem::OpenRead(const std::string& path) {
  auto it = m_nodes.find(Key(path));
  if (it == m_nodes.end() || it->second.bDirectory) return nullptr;
  return std::unique_ptr<IRarFile>(new CFakeFile(it->second.data));
}

std::unique_ptr<IRarFile> CFakeRarFileSystem::CreateNew(const std::string& path) {
  const std::string parent = Style().Parent(path);
  if (Has(path) || (!parent.empty() && !Has(parent))) return nullptr;
  AddFile(path, "");
  return std::unique_ptr<IRarFile>(new CFakeFile(m_nodes[Key(path)].data));
}

bool CFakeRarFileSystem::Replace(const std::string& from, const std::string& to) {
  auto it = m_nodes.find(Key(from));
  if (it == m_nodes.end()) return false;
  Node node = it->second;
  m_nodes.erase(it);
  node.path = to;
  m_nodes[Key(to)] = node;
  return true;
}

bool CFakeRarFileSystem::RemoveFile(const std::string& path) {
  auto it = m_nodes.find(Key(path));
  if (it == m_nodes.end() || it->second.bDirectory) return false;
  m_nodes.erase(it);
  return true;
}

bool CFakeRarFileSystem::RemoveFolder(const std::string& path) {
  std::vector<FileInfo> entries;
  if (!ListFolder(path, entries) || !entries.empty()) return false;
  m_nodes.erase(Key(path));
  return true;
}

bool CFakeRarFileSystem::MakeFolder(const std::string& path) {
  if (Has(path)) return m_nodes[Key(path)].bDirectory;
  const std::string parent = Style().Parent(path);
  if (!parent.empty() && !Has(parent)) return false;
  AddFolder(path);
  return true;
}

bool CFakeRarFileSystem::AppendToFile(const std::string& path, const std::string& text) {
  if (!Has(path)) AddFile(path, "");
  *m_nodes[Key(path)].data += text;
  return true;
}

bool CFakeRarFileSystem::SetLastWriteTime(const std::string& path, const LocalTime& time) {
  auto it = m_nodes.find(Key(path));
  if (it == m_nodes.end()) return false;
  it->second.time = time;
  return true;
}

std::string CFakeRarFileSystem::NameToUtf8(const std::string& name) {
  return Iconv(name, "UTF-8", "GBK");
}

std::string CFakeRarFileSystem::NameFromUtf8(const std::string& utf8) {
  return Iconv(utf8, "GBK", "UTF-8");
}

}  // namespace rar
}  // namespace dorvik
