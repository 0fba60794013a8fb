#pragma once
// Every task's last backup time, kept for the console, which fills its task lists again after
// every task change. It remembers each log file's latest time per key; the next call reads only
// the files that are new or changed (by size or last write time) and forgets those that are gone.
// Logs are only appended to, or rewritten shorter, so a file with the same size and time as
// before is taken as unchanged.
//
// Not thread-safe: the console's interface thread owns the one instance and alone calls it.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/file_system.h"
#include "jobs/backup_log.h"
#include "jobs/log_scan.h"

namespace dorvik {

class CLastBackupCache {
 public:
  // programDir ends in a backslash; the logs are in programDir + "Log".
  explicit CLastBackupCache(const std::string& programDir, IFileSystem& files = RealFileSystem());

  // The same result as IBackupLog::GetAllLastBackupTimes, reading only what changed since the
  // last call (everything on the first).
  LastBackupTimes GetAllLastBackupTimes();

 private:
  struct CCachedLog {
    std::uint64_t size = 0;
    std::int64_t lastWriteTime = 0;
    std::vector<std::pair<std::size_t, LogStamp>> latest;  // index in m_keys -> latest time
  };

  CCachedLog ScanLog(const DirectoryEntry& entry, const std::string& content);
  std::size_t KeyIndex(std::string_view key);

  std::string m_strLogDir;
  IFileSystem& m_files;
  std::map<std::string, CCachedLog> m_logs;  // by file name
  // Every key seen, once: the files hold indexes, so merging them needs no string compares.
  std::vector<std::string> m_keys;
  std::unordered_map<std::string, std::size_t> m_keyIndexes;
  CLogKeyTimes m_fileTimes;   // reused for each file read
  std::string m_strContent;   // reused read buffer
};

}  // namespace dorvik
