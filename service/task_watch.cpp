#include "service/task_watch.h"

#include "config/document.h"

namespace dorvik {

FileJobKind ChooseFileJob(const std::string& strIsCut) {
  if (strIsCut == "是") return FileJobKind::Archive;
  if (strIsCut == "否") return FileJobKind::Copy;
  if (strIsCut == "备份后压缩") return FileJobKind::CopyThenArchive;
  return FileJobKind::None;
}

FileTaskWatch ReadFileTaskWatch(const std::string& recordText) {
  FileTaskWatch watch;
  watch.request.strSouPath = GetTag(recordText, "SouPath");
  watch.request.strDesPath = GetTag(recordText, "DesPath");
  watch.dayRule = ParseFileDayRule(GetTag(recordText, "strdate"));
  watch.request.strFile = GetTag(recordText, "strfile");
  watch.hours = ParseHourList(GetTag(recordText, "m_strtime"));
  watch.jobKind = ChooseFileJob(GetTag(recordText, "striscut"));
  watch.request.bCompressAfter = watch.jobKind == FileJobKind::CopyThenArchive;
  watch.bEnabled = GetTag(recordText, "Check") != "NO";
  watch.request.strRecord = "<m_strID>" + GetTag(recordText, "m_strID") + "</m_strID>";
  return watch;
}

SqlTaskWatch ReadSqlTaskWatch(const std::string& recordText) {
  SqlTaskWatch watch;
  watch.dayRule = ParseSqlDayRule(GetTag(recordText, "date"));
  watch.hours = ParseHourList(GetTag(recordText, "time"));
  watch.strIsCut = GetTag(recordText, "iscut");
  watch.bEnabled = GetTag(recordText, "Check") != "NO";
  watch.strRecord = recordText;
  return watch;
}

void RunFileJob(FileJobKind kind, const FileBackupRequest& request, FileJobEnvironment& env) {
  switch (kind) {
    case FileJobKind::Archive:
      DoBackup(request, env);
      break;
    case FileJobKind::Copy:
    case FileJobKind::CopyThenArchive:
      DoBackupNocut(request, env);
      break;
    case FileJobKind::None:
      break;
  }
}

std::string SqlBackupProgramPath(const std::string& strProgramDir) { return strProgramDir + "Backup.exe"; }

std::string SqlBackupCommandLine(const std::string& strProgramDir, const std::string& strRecord,
                                 const std::string& strIsCut) {
  return SqlBackupProgramPath(strProgramDir) + " " + "\"" + strRecord + "\" " + strIsCut;
}

ProcessResult RunSqlBackupProgram(std::mutex& csSqlBackup, IProcessRunner& processes,
                                  const std::string& program, const std::string& commandLine) {
  std::lock_guard<std::mutex> hold(csSqlBackup);
  return processes.RunHiddenAndWait(program, commandLine);
}

void WatchFileTask(const std::string& recordText, IClock& clock, const std::atomic<bool>& bStop,
                   const std::function<void(FileJobKind, const FileBackupRequest&)>& startJob) {
  const FileTaskWatch watch = ReadFileTaskWatch(recordText);
  if (!watch.bEnabled) return;
  WatchTaskSchedule(watch.dayRule, watch.hours, clock, kFileWatchPollMs, bStop, [&] {
    // An unknown mode still counts the hour as handled; it just starts nothing.
    if (watch.jobKind != FileJobKind::None) startJob(watch.jobKind, watch.request);
  });
}

void WatchSqlTask(const std::string& recordText, IClock& clock, const std::atomic<bool>& bStop,
                  const std::function<void(const std::string& strIsCut,
                                           const std::string& strRecord)>& runProgram) {
  clock.SleepMs(kSqlWatchPollMs);
  const SqlTaskWatch watch = ReadSqlTaskWatch(recordText);
  if (!watch.bEnabled) return;
  const bool bKnownChoice = watch.strIsCut == "是" || watch.strIsCut == "否";
  WatchTaskSchedule(watch.dayRule, watch.hours, clock, kSqlWatchPollMs, bStop, [&] {
    if (bKnownChoice) runProgram(watch.strIsCut, watch.strRecord);
  });
}

}  // namespace dorvik
