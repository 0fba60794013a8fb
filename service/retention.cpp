#include "service/retention.h"

#include <vector>

#include "common/gbk.h"
#include "common/text.h"
#include "config/document.h"

namespace dorvik {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

bool ReadNumber(const std::string& text, std::string::size_type* pos, int* value) {
  std::string::size_type start = *pos;
  long long number = 0;
  while (*pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9' && *pos - start < 6) {
    number = number * 10 + (text[*pos] - '0');
    ++*pos;
  }
  *value = static_cast<int>(number);
  return *pos > start;
}

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

std::int64_t AgeInDays(std::int64_t moment, std::int64_t now) {
  return (now - moment) / kSecondsPerDay;  // truncated toward zero
}

// A pass ends at once when it meets something dated in the future (the clock was set back):
// nothing more is deleted until the next pass.
enum class PassStep { Continue, EndPass };

PassStep CleanFileDateFolder(IFileSystem& files, const std::string& folder,
                             const std::string& sourceName, long long days, std::int64_t now) {
  for (const DirectoryEntry& entry : files.ListDirectory(folder)) {
    if (entry.lastWriteTime > now) return PassStep::EndPass;
    if (AgeInDays(entry.lastWriteTime, now) < days) continue;
    if (!IsFileTaskBackupName(entry.name, sourceName)) continue;
    const std::string path = folder + "\\" + entry.name;
    if (entry.isDirectory) {
      DeleteFolderTree(files, path);
      files.RemoveEmptyDirectory(path);  // fails when something inside could not go; kept then
    } else if (Contains(entry.name, ".")) {
      files.RemoveFile(path);  // a read-only or busy file stays until a later pass
    }
  }
  return PassStep::Continue;
}

PassStep CleanFileTask(const std::string& record, IFileSystem& files, IClock& clock) {
  long long days = 0;
  if (!ReadRetentionDays(GetTag(record, "strissave"), &days)) return PassStep::Continue;
  const std::int64_t now = ToEpochSeconds(clock.Now());
  const std::string sourceName = LastPathComponent(GetTag(record, "SouPath"));
  const std::string storage = GetTag(record, "DesPath");
  if (storage.empty()) return PassStep::Continue;
  for (const DirectoryEntry& entry : files.ListDirectory(storage)) {
    LocalTime date;
    if (!entry.isDirectory || !ParseDateFolderName(entry.name, &date)) continue;
    const std::int64_t moment = ToEpochSeconds(date);
    if (moment > now) return PassStep::EndPass;
    const std::string folder = storage + "\\" + entry.name;
    if (AgeInDays(moment, now) >= days &&
        CleanFileDateFolder(files, folder, sourceName, days, now) == PassStep::EndPass) {
      return PassStep::EndPass;
    }
    // Succeeds only for an empty folder: date folders emptied now or earlier disappear.
    files.RemoveEmptyDirectory(folder);
  }
  return PassStep::Continue;
}

PassStep CleanSqlTask(const std::string& record, IFileSystem& files, IClock& clock) {
  long long days = 0;
  if (!ReadRetentionDays(GetTag(record, "issave"), &days)) return PassStep::Continue;
  const std::int64_t now = ToEpochSeconds(clock.Now());
  const std::string storage = GetTag(record, "despath");
  const std::string project = GetTag(record, "projectname");
  // Without both names the "project folder" would be some other folder whose dated folders
  // belong to other tasks.
  if (storage.empty() || project.empty()) return PassStep::Continue;
  const std::string projectFolder = storage + "\\" + project;
  for (const DirectoryEntry& entry : files.ListDirectory(projectFolder)) {
    LocalTime date;
    if (!entry.isDirectory || !ParseDateFolderName(entry.name, &date)) continue;
    const std::int64_t moment = ToEpochSeconds(date);
    if (moment > now) return PassStep::EndPass;
    if (AgeInDays(moment, now) >= days) {
      const std::string folder = projectFolder + "\\" + entry.name;
      DeleteFolderTree(files, folder);
      files.RemoveEmptyDirectory(folder);  // kept when something inside could not be deleted
    }
  }
  return PassStep::Continue;
}

void CleanTasks(const std::string& document, const char* section,
                PassStep (*cleanTask)(const std::string&, IFileSystem&, IClock&),
                IFileSystem& files, IClock& clock) {
  for (const std::string& record : SplitRecords(section, document)) {
    if (cleanTask(record, files, clock) == PassStep::EndPass) return;
  }
}

}  // namespace

bool ReadRetentionDays(const std::string& rule, long long* days) {
  if (rule == "保留") return false;
  const std::string::size_type start = rule.find("删除");
  const std::string::size_type end = rule.find("天");
  if (start == std::string::npos || end == std::string::npos) return false;
  const std::string::size_type from = start + std::string("删除").size();
  if (end < from) return false;
  const std::string number = rule.substr(from, end - from);
  if (!HasLeadingNumber(number)) return false;
  const long long value = LeadingNumber(number);
  if (value < 0) return false;
  *days = value;
  return true;
}

bool ParseDateFolderName(const std::string& name, LocalTime* date) {
  std::string::size_type pos = 0;
  int year = 0, month = 0, day = 0;
  if (!ReadNumber(name, &pos, &year) || pos >= name.size() || name[pos++] != '-') return false;
  if (!ReadNumber(name, &pos, &month) || pos >= name.size() || name[pos++] != '-') return false;
  if (!ReadNumber(name, &pos, &day) || pos != name.size()) return false;
  if (year < 1970 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  *date = LocalTime();
  date->year = year;
  date->month = month;
  date->day = day;
  return true;
}

bool IsFileTaskBackupName(const std::string& entryName, const std::string& sourceName) {
  // Both marks must be there, in order: an empty source name then matches only "file__20...",
  // never a name that merely lacks the marks.
  const std::string::size_type open = entryName.find("file_");
  const std::string::size_type close = entryName.find("_20");
  if (open == std::string::npos || close == std::string::npos || close < open + 5) return false;
  return entryName.compare(open + 5, close - open - 5, sourceName) == 0;
}

void DeleteFolderTree(IFileSystem& files, const std::string& folder) {
  for (const DirectoryEntry& entry : files.ListDirectory(folder)) {
    const std::string path = folder + "\\" + entry.name;
    if (entry.isDirectory) {
      DeleteFolderTree(files, path);
      files.RemoveEmptyDirectory(path);  // kept when something inside could not be deleted
    } else {
      files.RemoveFile(path);  // a read-only or busy file stays; the rest still goes
    }
  }
}

void CleanFileBackups(const std::string& document, IFileSystem& files, IClock& clock) {
  CleanTasks(document, "FileBackups", CleanFileTask, files, clock);
}

void CleanSqlBackups(const std::string& document, IFileSystem& files, IClock& clock) {
  CleanTasks(document, "SqlBackups", CleanSqlTask, files, clock);
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
