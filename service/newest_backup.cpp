#include "service/newest_backup.h"

#include <cstdint>

#include "common/clock.h"
#include "common/gbk.h"
#include "common/text.h"
#include "jobs/incomplete_output.h"
#include "service/owned_folder.h"
#include "service/retention.h"

namespace dorvik {

namespace {

const char kZip[] = ".zip";

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

// A SQL Server date folder holds a backup when anything in it is not a failed run's output.
bool HoldsGoodOutput(IFileSystem& files, const std::string& folder) {
  for (const DirectoryEntry& entry : files.ListDirectory(folder)) {
    if (!IsIncompleteOutputName(entry.name)) return true;
  }
  return false;
}

std::string RunOf(const std::string& path) {
  return EndsWith(path, kZip) ? path.substr(0, path.size() - std::string(kZip).size()) : path;
}

// A logged path of the form folder + "\" + date folder + "\" + name, the folder compared as the
// file system compares names. Gives the date folder's and the entry's names.
bool SplitLoggedPath(IFileSystem& files, const std::string& path, const std::string& folder,
                     std::string* dateName, std::string* name) {
  const std::string prefix = folder + "\\";
  if (path.size() <= prefix.size()) return false;
  const std::string head = path.substr(0, prefix.size());
  if (files.UsesWindowsPaths() ? AsciiLower(head) != AsciiLower(prefix) : head != prefix) return false;
  const std::string tail = path.substr(prefix.size());
  const std::string::size_type cut = FindFirstChar(tail, '\\');
  if (cut == std::string::npos || FindFirstChar(tail, '\\', cut + 1) != std::string::npos) return false;
  LocalTime date;
  *dateName = tail.substr(0, cut);
  *name = tail.substr(cut + 1);
  return ParseDateText(*dateName, &date) && !name->empty() && !IsIncompleteOutputName(*name);
}

// The first logged output (newest first) that still exists below the folder whose real path is
// rootKey, as folder + "\" + date folder + "\" + name.
template <typename Accept>
std::string NewestLoggedOutput(const std::vector<LoggedOutput>& outputs, const std::string& folder,
                               const std::string& rootKey, IFileSystem& files, Accept accept) {
  for (const LoggedOutput& output : outputs) {
    std::string dateName, name;
    if (!SplitLoggedPath(files, output.strPath, folder, &dateName, &name) || !accept(name)) continue;
    const std::string path = folder + "\\" + dateName + "\\" + name;
    if (files.Exists(path) && IsRealPathBelow(files, path, rootKey)) return path;
  }
  return std::string();
}

}  // namespace

std::string NewestFileTaskBackup(const FileRetentionScope& scope, const CLoggedBackups& logged,
                                 IFileSystem& files) {
  const std::string fromLog = NewestLoggedOutput(
      logged.FileOutputs(scope.strKey), scope.strStorage, scope.strStorageKey, files,
      [&](const std::string& name) { return IsFileTaskBackupName(name, scope.strSourceName); });
  if (!fromLog.empty()) return RunOf(fromLog);
  CNewest newest;
  for (const DirectoryEntry& dateEntry : files.ListDirectory(scope.strStorage)) {
    LocalTime date;
    const std::string folder = scope.strStorage + "\\" + dateEntry.name;
    if (!IsRealDateFolder(dateEntry, &date) || !IsRealPathBelow(files, folder, scope.strStorageKey)) {
      continue;
    }
    for (const DirectoryEntry& entry : files.ListDirectory(folder)) {
      if (entry.isLink || !IsFileTaskBackupName(entry.name, scope.strSourceName) ||
          IsIncompleteOutputName(entry.name)) {
        continue;
      }
      const std::string path = folder + "\\" + entry.name;
      // A name without a dot is no archive of ours (the pass never deletes it either).
      if (entry.isDirectory ? !HoldsAnything(files, path) : !Contains(entry.name, ".")) continue;
      newest.Offer(entry.lastWriteTime, entry.name, path);
    }
  }
  return RunOf(newest.Path());
}

bool IsPartOfRun(const std::string& path, const std::string& run) {
  return !run.empty() && (path == run || path == run + kZip);
}

std::string NewestSqlTaskBackup(const SqlRetentionScope& scope, const CLoggedBackups& logged,
                                IFileSystem& files) {
  const std::string fromLog =
      NewestLoggedOutput(logged.SqlOutputs(scope.strKey), scope.strProjectFolder, scope.strProjectKey,
                         files, [](const std::string&) { return true; });
  if (!fromLog.empty()) return fromLog.substr(0, FindLastChar(fromLog, '\\'));
  CNewest newest;
  for (const DirectoryEntry& entry : files.ListDirectory(scope.strProjectFolder)) {
    LocalTime date;
    const std::string path = scope.strProjectFolder + "\\" + entry.name;
    if (!IsRealDateFolder(entry, &date) || !HoldsGoodOutput(files, path)) continue;
    newest.Offer(ToEpochSeconds(date), entry.name, path);
  }
  return newest.Path();
}

}  // namespace dorvik
