#include "jobs/last_backup_cache.h"

#include <limits>

namespace dorvik {

CLastBackupCache::CLastBackupCache(const std::string& programDir, IFileSystem& files)
    : m_strLogDir(programDir + "Log"), m_files(files) {}

LastBackupTimes CLastBackupCache::GetAllLastBackupTimes() {
  LastBackupTimes result;
  if (!m_files.IsDirectory(m_strLogDir)) {
    m_logs.clear();
    return result;
  }
  result.bLogFolderFound = true;
  std::map<std::string, CCachedLog> current;
  for (const DirectoryEntry& entry : m_files.ListDirectory(m_strLogDir)) {
    if (entry.isDirectory) continue;  // any file name counts, folders never
    auto cached = m_logs.find(entry.name);
    if (cached != m_logs.end() && cached->second.size == entry.size &&
        cached->second.lastWriteTime == entry.lastWriteTime) {
      current.insert(m_logs.extract(cached));
      continue;
    }
    // A log that cannot be read adds no time and is not remembered, so the next call tries again.
    if (!m_files.ReadWholeFile(m_strLogDir + "\\" + entry.name, &m_strContent)) continue;
    current[entry.name] = ScanLog(entry, m_strContent);
  }
  m_logs.swap(current);

  const LogStamp kNone = std::numeric_limits<LogStamp>::min();
  std::vector<LogStamp> latest(m_keys.size(), kNone);
  for (const auto& log : m_logs) {
    for (const auto& keyTime : log.second.latest) {
      if (keyTime.second > latest[keyTime.first]) latest[keyTime.first] = keyTime.second;
    }
  }
  for (std::size_t i = 0; i < latest.size(); ++i) {
    if (latest[i] != kNone) result.times.emplace(m_keys[i], FormatLogStamp(latest[i]));
  }
  return result;
}

CLastBackupCache::CCachedLog CLastBackupCache::ScanLog(const DirectoryEntry& entry,
                                                       const std::string& content) {
  CCachedLog log;
  // The listing's size and time, not the content's: when a line was appended in between, the
  // next listing differs and the file is read again.
  log.size = entry.size;
  log.lastWriteTime = entry.lastWriteTime;
  m_fileTimes.Clear();
  ScanLogContent(content, &m_fileTimes);
  for (const CLogKeyTimes::Slot& slot : m_fileTimes.Slots()) {
    if (slot.bUsed) log.latest.emplace_back(KeyIndex(slot.key), slot.when);
  }
  return log;
}

std::size_t CLastBackupCache::KeyIndex(std::string_view key) {
  auto found = m_keyIndexes.emplace(std::string(key), m_keys.size());
  if (found.second) m_keys.emplace_back(key);
  return found.first->second;
}

}  // namespace dorvik
