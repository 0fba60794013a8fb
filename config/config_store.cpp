#include "config/config_store.h"

#include "config/document.h"
#include "config/scramble.h"
#include "common/text.h"

namespace dorvik {

namespace {

constexpr std::size_t kQuietReadLimit = 10485760;

const char* ReadFailureMessage(ConfigReadResult result) {
  switch (result) {
    case ConfigReadResult::OpenFailed: return "打开文件出错！";
    case ConfigReadResult::SeekFailed: return "文件定位出错！";
    case ConfigReadResult::ReadFailed: return "读取文件错误！";
    case ConfigReadResult::Ok: break;
  }
  return "";
}

// Writes without taking the lock; the callers hold it.
bool SaveLocked(IConfigFile& file, const std::string& document) {
  if (FindConfigDamage(document) != ConfigDamage::None) return false;
  return file.WriteStored(ScrambleText(document));
}

}  // namespace

CConfigStore::CConfigStore(IConfigFile& file, IConfigReactions& reactions)
    : m_file(file), m_reactions(reactions) {}

bool CConfigStore::LoadConfigDocument(std::string* document) {
  document->clear();
  std::string stored;
  ConfigReadResult result = m_file.ReadStored(&stored);
  if (result != ConfigReadResult::Ok) {
    m_reactions.ShowMessage(ReadFailureMessage(result), MessageIcon::None);
    return false;
  }
  *document = UnscrambleText(stored);
  return true;
}

bool CConfigStore::SaveConfigDocument(const std::string& document) {
  std::unique_ptr<IConfigFile::CLock> lock = m_file.LockForUpdate();
  if (!lock) return false;
  return SaveLocked(m_file, document);
}

bool CConfigStore::UpdateConfigDocument(
    const std::function<std::string(const std::string&)>& change) {
  std::unique_ptr<IConfigFile::CLock> lock = m_file.LockForUpdate();
  if (!lock) return false;
  std::string document;
  if (!LoadConfigDocument(&document)) return false;
  // A damaged document is never rewritten: the console reports it at start and starts afresh.
  if (FindConfigDamage(document) != ConfigDamage::None) return false;
  std::string changed = change(document);
  if (changed == document) return true;
  return SaveLocked(m_file, changed);
}

bool CConfigStore::ReplaceInConfigDocument(const std::string& oldText, const std::string& newText) {
  return UpdateConfigDocument([&](const std::string& document) {
    return ReplaceAll(document, oldText, newText);
  });
}

namespace {
// Cuts the document before the first closing tag of its section: head + record + tail.
std::string InsertBeforeSectionEnd(const std::string& document, const std::string& closeTag,
                                   const std::string& record, bool keepTail) {
  std::string::size_type cut = document.find(closeTag);
  if (cut == std::string::npos) return document;
  std::string tail = keepTail ? document.substr(cut) : closeTag;
  return document.substr(0, cut) + record + tail;
}
}  // namespace

bool CConfigStore::AppendFileTaskRecord(const std::string& recordWithSeparator) {
  return UpdateConfigDocument([&](const std::string& document) {
    return InsertBeforeSectionEnd(document, "</FileBackups>", recordWithSeparator, true);
  });
}

bool CConfigStore::AppendSqlTaskRecord(const std::string& recordWithSeparator) {
  // Nothing follows </SqlBackups> in a well-formed document, so only the head is kept.
  return UpdateConfigDocument([&](const std::string& document) {
    return InsertBeforeSectionEnd(document, "</SqlBackups>", recordWithSeparator, false);
  });
}

std::string ReadConfigDocumentQuietly(IConfigFile& file, bool* bOpened) {
  std::string stored;
  const ConfigReadResult result = file.ReadStored(&stored, kQuietReadLimit);
  if (bOpened) *bOpened = result != ConfigReadResult::OpenFailed;
  if (result != ConfigReadResult::Ok) return std::string();
  return UnscrambleText(stored);
}

}  // namespace dorvik
