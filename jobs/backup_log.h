#pragma once
// The daily backup log in the Log folder beside the programs: exact line formats, appends that
// never interleave within a line (across threads and processes), and reading back last times.
//
// Every append, in every process, holds BackupLogLock() for its one write; the console's history
// holds it from its last reading of a log to the move of the rewritten file over it. So an
// append lands either before that reading (and is carried over) or in the new file.
#include <map>
#include <memory>
#include <string>

#include "common/file_system.h"
#include "common/named_lock.h"

namespace dorvik {

// "%-15s" "    %s" "    %-30s" "    %s\n"
std::string FormatFileLogLine(const std::string& key, const std::string& timeText,
                              const std::string& source, const std::string& output);
// "%-15s" "    %s" "    %s\n"
std::string FormatSqlLogLine(const std::string& key, const std::string& timeText,
                             const std::string& output);

// The time given when the log holds no line for a key.
extern const char* const kNoBackupTime;  // "2000-01-01 01:01:01"

// Every key's latest time from one pass over the logs.
struct LastBackupTimes {
  bool bLogFolderFound = false;
  std::map<std::string, std::string> times;  // key -> "%Y-%m-%d %H:%M:%S"
  // What GetLastBackupTime(key) gives: "" without a Log folder, kNoBackupTime without a line.
  std::string For(const std::string& key) const;
};

class IBackupLog {
 public:
  virtual ~IBackupLog() = default;
  // Appends one whole line (already formatted, ending in "\n") to Log\<logFileName>; creates the
  // Log folder when needed. On disk the line ends in CR LF. False when the file could not be
  // opened or written.
  virtual bool AppendBackupLogLine(const std::string& logFileName, const std::string& line) = 0;
  // The latest time text for the key; "2000-01-01 01:01:01" when none; "" without a Log folder.
  virtual std::string GetLastBackupTime(const std::string& key) = 0;
  // Every key's latest time in one pass over the logs (same results as GetLastBackupTime).
  // Callers that ask again and again keep a CLastBackupCache instead.
  virtual LastBackupTimes GetAllLastBackupTimes() = 0;
};

// The machine-wide lock of the backup logs (one for every Log folder: it is held for moments).
INamedLock& BackupLogLock();
// How long an append or a rewrite waits for the lock; a rewrite holds it for one re-read and move.
constexpr unsigned kBackupLogLockWaitMs = 30000;

// The log in programDir + "Log" (programDir ends in a backslash) on the given file system.
std::unique_ptr<IBackupLog> MakeBackupLog(const std::string& programDir,
                                          IFileSystem& files = RealFileSystem(),
                                          INamedLock& lock = BackupLogLock());

}  // namespace dorvik
