#include "service/newest_backup.h"

#include <cstdint>

#include "common/clock.h"
#include "common/text.h"
#include "service/owned_folder.h"
#include "service/retention.h"

namespace dorvik {

namespace {

// The newest of what is offered; equal times go to the later name (a later stamp).
class CNewest {
 public:
  void Offer(std::int64_t moment, const std::string& name, const std::string& path) {
    if (!m_strPath.empty() && (moment < m_nMoment || (moment == m_nMoment && name <= m_strName))) {
      return;
    }
    m_nMoment = moment;
    m_strName = name;
    m_strPath = path;
  }
  const std::string& Path() const { return m_strPath; }

 private:
  std::int64_t m_nMoment = 0;
  std::string m_strName;
  std::string m_strPath;
};

bool IsRealDateFolder(const DirectoryEntry& entry, LocalTime* date) {
  return entry.isDirectory && !entry.isLink && ParseDateText(entry.name, date);
}

bool HoldsAnything(IFileSystem& files, const std::string& folder) {
  return !files.ListDirectory(folder).empty();
}

}  // namespace

std::string NewestFileTaskBackup(const FileRetentionScope& scope, IFileSystem& files) {
  CNewest newest;
  for (const DirectoryEntry& dateEntry : files.ListDirectory(scope.strStorage)) {
    LocalTime date;
    const std::string folder = scope.strStorage + "\\" + dateEntry.name;
    if (!IsRealDateFolder(dateEntry, &date) || !IsRealPathBelow(files, folder, scope.strStorageKey)) {
      continue;
    }
    for (const DirectoryEntry& entry : files.ListDirectory(folder)) {
      if (entry.isLink || !IsFileTaskBackupName(entry.name, scope.strSourceName)) continue;
      const std::string path = folder + "\\" + entry.name;
      // A name without a dot is no archive of ours (the pass never deletes it either).
      if (entry.isDirectory ? !HoldsAnything(files, path) : !Contains(entry.name, ".")) continue;
      newest.Offer(entry.lastWriteTime, entry.name, path);
    }
  }
  return newest.Path();
}

std::string NewestSqlTaskBackup(const SqlRetentionScope& scope, IFileSystem& files) {
  CNewest newest;
  for (const DirectoryEntry& entry : files.ListDirectory(scope.strProjectFolder)) {
    LocalTime date;
    const std::string path = scope.strProjectFolder + "\\" + entry.name;
    if (!IsRealDateFolder(entry, &date) || !HoldsAnything(files, path)) continue;
    newest.Offer(ToEpochSeconds(date), entry.name, path);
  }
  return newest.Path();
}

}  // namespace dorvik
