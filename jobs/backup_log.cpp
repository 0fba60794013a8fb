#include "jobs/backup_log.h"

#include <cstdio>
#include <vector>

#include "common/clock.h"
#include "common/text.h"

namespace dorvik {

const char* const kNoBackupTime = "2000-01-01 01:01:01";

namespace {

std::string PadRight(const std::string& text, std::string::size_type width) {
  // Like printf's "%-Ns": counts bytes, never cuts a longer text.
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// The C runtime's text mode turns each "\n" into CR LF on disk.
std::string ToDiskLineEnds(const std::string& line) { return ReplaceAll(line, "\n", "\r\n"); }

// Reads one line's key and time: pieces split at blanks, the first is the key, the second and
// third are "%d-%d-%d" and "%d:%d:%d". False for a line that does not parse.
bool ParseLogLine(const std::string& line, std::string* key, std::int64_t* when) {
  std::vector<std::string> pieces = SplitNonEmpty(line, ' ');
  if (pieces.size() < 3) return false;
  LocalTime t;
  char tail = 0;
  std::string joined = pieces[1] + " " + pieces[2];
  if (std::sscanf(joined.c_str(), "%d-%d-%d %d:%d:%d%c", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second, &tail) < 6) {
    return false;
  }
  *key = pieces[0];
  *when = ToEpochSeconds(t);
  return true;
}

class FileBackupLog : public IBackupLog {
 public:
  FileBackupLog(const std::string& programDir, IFileSystem& files)
      : m_strLogDir(programDir + "Log"), m_files(files) {}

  bool AppendBackupLogLine(const std::string& logFileName, const std::string& line) override {
    if (!m_files.MakeDirectory(m_strLogDir)) return false;
    return m_files.AppendToFile(m_strLogDir + "\\" + logFileName, ToDiskLineEnds(line));
  }

  std::string GetLastBackupTime(const std::string& key) override {
    return Scan(&key).For(key);
  }

  LastBackupTimes GetAllLastBackupTimes() override { return Scan(nullptr); }

 private:
  // One pass over every file of the Log folder (any name, as the folder search finds them);
  // with onlyKey set, lines of other keys are skipped before their time is read.
  LastBackupTimes Scan(const std::string* onlyKey) {
    LastBackupTimes result;
    if (!m_files.IsDirectory(m_strLogDir)) return result;
    result.bLogFolderFound = true;
    std::map<std::string, std::int64_t> latest;
    for (const DirectoryEntry& entry : m_files.ListDirectory(m_strLogDir)) {
      if (entry.isDirectory) continue;
      std::string content;
      // A log that cannot be read adds no time; the others still count.
      if (!m_files.ReadWholeFile(m_strLogDir + "\\" + entry.name, &content)) continue;
      ScanContent(content, onlyKey, &latest);
    }
    for (const auto& found : latest) {
      result.times[found.first] = FormatLocalTime(FromEpochSeconds(found.second), "%Y-%m-%d %H:%M:%S");
    }
    return result;
  }

  static void ScanContent(const std::string& content, const std::string* onlyKey,
                          std::map<std::string, std::int64_t>* latest) {
    std::string::size_type begin = 0;
    while (begin < content.size()) {
      std::string::size_type end = content.find('\n', begin);
      if (end == std::string::npos) end = content.size();
      std::string line = content.substr(begin, end - begin);
      begin = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (onlyKey && !StartsWith(line, *onlyKey)) continue;
      std::string key;
      std::int64_t when = 0;
      if (!ParseLogLine(line, &key, &when)) continue;
      if (onlyKey && key != *onlyKey) continue;
      auto it = latest->find(key);
      if (it == latest->end()) {
        // Earlier than the "no backup" time never counts, as the time starts from there.
        std::int64_t floor = ToEpochSeconds(LocalTime{2000, 1, 1, 1, 1, 1});
        if (when > floor) (*latest)[key] = when;
      } else if (when > it->second) {
        it->second = when;
      }
    }
  }

  std::string m_strLogDir;
  IFileSystem& m_files;
};

}  // namespace

std::string FormatFileLogLine(const std::string& key, const std::string& timeText,
                              const std::string& source, const std::string& output) {
  return PadRight(key, 15) + "    " + timeText + "    " + PadRight(source, 30) + "    " + output +
         "\n";
}

std::string FormatSqlLogLine(const std::string& key, const std::string& timeText,
                             const std::string& output) {
  return PadRight(key, 15) + "    " + timeText + "    " + output + "\n";
}

std::string LastBackupTimes::For(const std::string& key) const {
  if (!bLogFolderFound) return std::string();
  auto it = times.find(key);
  return it == times.end() ? std::string(kNoBackupTime) : it->second;
}

std::unique_ptr<IBackupLog> MakeBackupLog(const std::string& programDir, IFileSystem& files) {
  return std::unique_ptr<IBackupLog>(new FileBackupLog(programDir, files));
}

}  // namespace dorvik
