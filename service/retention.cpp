#include "service/retention.h"

#include <set>
#include <vector>

#include "common/text.h"
#include "jobs/incomplete_output.h"
#include "service/newest_backup.h"
#include "service/owned_folder.h"
#include "service/retention_scope.h"

namespace dorvik {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t AgeInDays(std::int64_t moment, std::int64_t now) {
  return (now - moment) / kSecondsPerDay;  // truncated toward zero
}

// A pass ends at once when it meets something dated in the future (the clock was set back):
// nothing more is deleted until the next pass.
enum class PassStep { Continue, EndPass };

PassStep CleanFileDateFolder(IFileSystem& files, const std::string& folder,
                             const FileRetentionScope& scope, std::int64_t now,
                             const std::string& newest, std::size_t* deleted) {
  for (const DirectoryEntry& entry : files.ListDirectory(folder)) {
    if (entry.lastWriteTime > now) return PassStep::EndPass;
    if (AgeInDays(entry.lastWriteTime, now) < scope.nDays) continue;
    if (!IsFileTaskBackupName(entry.name, scope.strSourceName)) continue;
    const std::string path = folder + "\\" + entry.name;
    // A file of the task's own has its ".zip"; a name without a dot is not an archive.
    if (!IsPartOfRun(path, newest) && (entry.isDirectory || entry.isLink || Contains(entry.name, "."))) {
      if (DeleteOwnedEntry(files, path, entry, scope.strStorageKey)) ++*deleted;
    }
  }
  return PassStep::Continue;
}

PassStep CleanFileTask(const FileRetentionScope& scope, const CLoggedBackups& logged, IFileSystem& files,
                       IClock& clock, std::size_t* deleted) {
  const std::int64_t now = ToEpochSeconds(clock.Now());
  const std::string newest = NewestFileTaskBackup(scope, logged, files);
  for (const DirectoryEntry& entry : files.ListDirectory(scope.strStorage)) {
    LocalTime date;
    // A linked date folder holds nothing of this task: it is neither followed nor removed.
    if (!entry.isDirectory || entry.isLink || !ParseDateText(entry.name, &date)) continue;
    const std::int64_t moment = ToEpochSeconds(date);
    if (moment > now) return PassStep::EndPass;
    const std::string folder = scope.strStorage + "\\" + entry.name;
    if (!IsRealPathBelow(files, folder, scope.strStorageKey)) continue;
    if (AgeInDays(moment, now) >= scope.nDays &&
        CleanFileDateFolder(files, folder, scope, now, newest, deleted) == PassStep::EndPass) {
      return PassStep::EndPass;
    }
    // Succeeds only for an empty folder: date folders emptied now or earlier disappear. Today's
    // stays: a run may have just made it and not yet written its output into it.
    if (AgeInDays(moment, now) >= 1) files.RemoveEmptyDirectory(folder);
  }
  return PassStep::Continue;
}

PassStep CleanSqlTask(const SqlRetentionScope& scope, const CLoggedBackups& logged, IFileSystem& files,
                      IClock& clock, std::size_t* deleted) {
  const std::int64_t now = ToEpochSeconds(clock.Now());
  const std::string newest = NewestSqlTaskBackup(scope, logged, files);
  for (const DirectoryEntry& entry : files.ListDirectory(scope.strProjectFolder)) {
    LocalTime date;
    if (!entry.isDirectory || !ParseDateText(entry.name, &date)) continue;
    const std::int64_t moment = ToEpochSeconds(date);
    if (moment > now) return PassStep::EndPass;
    const std::string path = scope.strProjectFolder + "\\" + entry.name;
    if (AgeInDays(moment, now) >= scope.nDays && path != newest) {
      // The whole date folder is the task's; a link there goes as a link.
      if (DeleteOwnedEntry(files, path, entry, scope.strProjectKey)) ++*deleted;
    }
  }
  return PassStep::Continue;
}

template <typename Scope>
std::size_t CleanTasks(const std::vector<Scope>& scopes, const std::string& logFolder,
                       PassStep (*cleanTask)(const Scope&, const CLoggedBackups&, IFileSystem&, IClock&,
                                             std::size_t*),
                       IFileSystem& files, IClock& clock) {
  std::set<std::string> keys;
  for (const Scope& scope : scopes) {
    if (scope.bClean) keys.insert(scope.strKey);
  }
  if (keys.empty()) return 0;
  const CLoggedBackups logged(files, logFolder, keys);
  std::size_t deleted = 0;
  for (const Scope& scope : scopes) {
    if (scope.bClean && cleanTask(scope, logged, files, clock, &deleted) == PassStep::EndPass) break;
  }
  return deleted;
}

}  // namespace

bool ReadRetentionDays(const std::string& rule, long long* days) {
  if (rule == "保留") return false;
  const std::string::size_type start = rule.find("删除");
  const std::string::size_type end = rule.find("天");
  if (start == std::string::npos || end == std::string::npos) return false;
  const std::string::size_type from = start + std::string("删除").size();
  if (end < from) return false;
  // Only a plain decimal count: "0x10", "0.5" or "-0" read as 0 would delete every backup.
  const std::string number = TrimBoth(rule.substr(from, end - from));
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
  *days = LeadingNumber(number);  // saturates: a huge count keeps everything
  return true;
}

bool IsFileTaskBackupName(const std::string& entryName, const std::string& sourceName) {
  const std::string prefix = "file_" + sourceName + "_";
  if (!StartsWith(entryName, prefix)) return false;
  const std::string rest = entryName.substr(prefix.size());
  const std::string::size_type digits = rest.find_first_not_of("0123456789");
  if ((digits == std::string::npos ? rest.size() : digits) != kFileStampDigits) return false;
  if (digits == std::string::npos) return true;
  const std::string ending = rest.substr(digits);
  return ending == ".zip" || ending == kIncompleteMark || ending == std::string(kIncompleteMark) + ".zip";
}

std::size_t CleanFileBackups(const std::string& document, const std::string& logFolder, IFileSystem& files,
                             IClock& clock) {
  return CleanTasks(FileRetentionScopes(document, files), logFolder, CleanFileTask, files, clock);
}

std::size_t CleanSqlBackups(const std::string& document, const std::string& logFolder, IFileSystem& files,
                            IClock& clock) {
  return CleanTasks(SqlRetentionScopes(document, files), logFolder, CleanSqlTask, files, clock);
}

void RunRetentionLoop(IClock& clock, const std::atomic<bool>& bStop,
                      const std::function<void()>& runPasses) {
  runPasses();
  // One pass per noon is enough: a second pass in the same minute finds nothing new to delete
  // and would reread config.db and every storage folder a hundred times a second.
  LocalTime lastNoon;
  bool bRanNoon = false;
  while (!bStop.load(std::memory_order_relaxed)) {
    const LocalTime now = clock.Now();
    if (now.hour == 12 && now.minute == 0 &&
        !(bRanNoon && now.year == lastNoon.year && now.month == lastNoon.month &&
          now.day == lastNoon.day)) {
      runPasses();
      lastNoon = now;
      bRanNoon = true;
    }
    clock.SleepMs(kRetentionPollMs);
  }
}

}  // namespace dorvik
