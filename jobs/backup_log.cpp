#include "jobs/backup_log.h"

#include "common/text.h"
#include "jobs/last_backup_cache.h"

namespace dorvik {

const char* const kNoBackupTime = "2000-01-01 01:01:01";

namespace {

std::string PadRight(const std::string& text, std::string::size_type width) {
  // Like printf's "%-Ns": counts bytes, never cuts a longer text.
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// The C runtime's text mode turns each "\n" into CR LF on disk.
std::string ToDiskLineEnds(const std::string& line) { return ReplaceAll(line, "\n", "\r\n"); }

class CFileBackupLog : public IBackupLog {
 public:
  CFileBackupLog(const std::string& programDir, IFileSystem& files, INamedLock& lock)
      : m_strProgramDir(programDir), m_strLogDir(programDir + "Log"), m_files(files), m_lock(lock) {}

  bool AppendBackupLogLine(const std::string& logFileName, const std::string& line) override {
    if (!m_files.MakeDirectory(m_strLogDir)) return false;
    // Without the lock (no mutex at all, or a holder stuck for half a minute) the line is still
    // written: a backup missing from the log is worse than the chance that a rewrite drops it.
    CNamedLockHold hold(m_lock, kBackupLogLockWaitMs);
    return m_files.AppendToFile(m_strLogDir + "\\" + logFileName, ToDiskLineEnds(line));
  }

  std::string GetLastBackupTime(const std::string& key) override {
    return GetAllLastBackupTimes().For(key);
  }

  // A cache that remembers nothing yet reads every log: the full scan.
  LastBackupTimes GetAllLastBackupTimes() override {
    return CLastBackupCache(m_strProgramDir, m_files).GetAllLastBackupTimes();
  }

 private:
  std::string m_strProgramDir;
  std::string m_strLogDir;
  IFileSystem& m_files;
  INamedLock& m_lock;
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

INamedLock& BackupLogLock() {
  // Never destroyed: job threads may still append while the process exits.
  static INamedLock* const s_pLock = MakeNamedLock("DorvikBackupLog").release();
  return *s_pLock;
}

std::unique_ptr<IBackupLog> MakeBackupLog(const std::string& programDir, IFileSystem& files, INamedLock& lock) {
  return std::unique_ptr<IBackupLog>(new CFileBackupLog(programDir, files, lock));
}

}  // namespace dorvik
