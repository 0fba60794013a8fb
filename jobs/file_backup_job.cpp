#include "jobs/file_backup_job.h"

#include <vector>

#include "common/gbk.h"
#include "common/text.h"
#include "common/wildcard.h"
#include "config/document.h"
#include "jobs/copy_check.h"
#include "jobs/file_job_filter.h"
#include "jobs/file_job_names.h"
#include "jobs/incomplete_output.h"

namespace dorvik {

namespace {

const char kTypeFormMessage[] = "文件类型输入方式有误  仅支持  *.exe .exe  exe 等三种输入格式";

// Exit codes that mean "nothing matched the given name": the archiver's (as WinRAR's rar answers)
// and xcopy's. One item of a list that matches nothing is not a failed run; a run in which no
// item matched still fails, since its output is then missing.
constexpr unsigned long kRarNothingMatched = 10;
constexpr unsigned long kXcopyNothingMatched = 1;
// A program of the system folder (IProcessRunner looks for it there only).
const char kXcopy[] = "xcopy";
// How many later seconds a run tries for its output name when the start's is taken.
constexpr int kOutputNameTries = 60;

// A list item or mask with a blank must stay one argument of the archiver.
std::string QuoteIfBlank(const std::string& text) {
  return text.find_first_of(" \t") == std::string::npos ? text : "\"" + text + "\"";
}

// The state of one run: its names and whether anything has gone wrong so far. The reporter's
// end-of-run signal is given when the run object goes away, on every path out of a job.
class CFileJobRun {
 public:
  CFileJobRun(const FileBackupRequest& request, FileJobEnvironment& env)
      : m_request(request),
        m_env(env),
        m_start(env.clock.Now()),
        m_names(MakeFileJobNames(request.strSouPath, request.strDesPath, m_start)),
        m_filter(ParseFileFilter(request.strFile)) {}
  ~CFileJobRun() { m_env.reporter.RunEnded(); }

  const FileJobNames& Names() const { return m_names; }
  const FileFilter& Filter() const { return m_filter; }
  bool Failed() const { return m_bFailed; }

  void Fail(const std::string& message) {
    m_bFailed = true;
    m_env.reporter.ReportFailure(message);
  }

  // Paths and lists go into command lines and the log as they are: a text that is not
  // well-formed GBK (a lone lead byte) would swallow the quote or backslash joined after it.
  bool RefuseMalformedText() {
    const struct {
      const std::string& text;
      const char* what;
    } fields[] = {{m_request.strSouPath, "源文件路径"},
                  {m_request.strDesPath, "目标文件路径"},
                  {m_request.strFile, "文件列表"},
                  {m_request.strRecord, "任务记录"}};
    for (const auto& field : fields) {
      if (IsWellFormedGbk(field.text)) continue;
      Fail(std::string(field.what) + "含有无效的 GBK 字符，备份未进行");
      return true;
    }
    return false;
  }

  // Takes the run's output name for this run alone: the copy folder's name is claimed by
  // creating the folder, which only one process can do, and the archive beside it must not
  // exist, nor what a failed run of that name was renamed to. When another run (of this task, or
  // of another whose source ends in the same name) holds the name, the next free second of the
  // stamp is used: a run never adds to an archive or a copy it did not make, and the name keeps
  // the form retention and history know.
  bool ClaimOutputName() {
    for (int nLater = 0; nLater < kOutputNameTries; ++nLater) {
      m_names = MakeFileJobNames(m_request.strSouPath, m_request.strDesPath, m_start, nLater);
      const std::string& copy = m_names.strCopyFolder;
      if (OthersNameTaken(copy)) continue;
      if (!m_env.files.MakeNewFolder(copy)) {
        if (m_env.files.Exists(copy)) continue;
        Fail("创建路径\"" + copy + "\"失败！");
        return false;
      }
      // The archive may have appeared between the test and the claim.
      if (!OthersNameTaken(copy)) return true;
      ReleaseClaim();
    }
    Fail("备份失败：" + m_names.strDateFolder + " 中没有可用的备份文件名");
    return false;
  }

  // DoBackup's claim is only a name: the empty folder goes once the archive exists.
  void ReleaseClaim() {
    // An empty folder left behind (in use by a scanner) is a harmless name the retention
    // cleanup removes with the task's backups.
    m_env.files.RemoveEmptyDirectory(m_names.strCopyFolder);
  }

  // "去死" / "也去死": a filter without the marker words it needs. True when the run must end.
  bool RefuseMalformedFilter() {
    if (m_filter.scope == FilterScope::kNoListKind) Fail("去死");
    else if (m_filter.scope == FilterScope::kNoScope) Fail("也去死");
    else return false;
    return true;
  }

  // A list without "backup these" or "all but these" backs up nothing; say so.
  void ReportMissingDirection() {
    if (m_filter.scope != FilterScope::kAllFiles && m_filter.direction == FilterDirection::kNone) {
      Fail("文件过滤没有指定备份方式，没有备份任何文件");
    }
  }

  void ReportDroppedItems() {
    if (m_filter.nDroppedItems == 0) return;
    Fail("文件列表超过" + std::to_string(kMaxFilterItems) + "项，其余" +
         std::to_string(m_filter.nDroppedItems) + "项未处理");
  }

  // A run that failed after it claimed its name keeps what it made under the incomplete names.
  // A rename that fails is reported too; retention still keeps the last logged backup.
  void MarkIncomplete(const std::vector<std::string>& outputs) {
    for (const std::string& output : outputs) {
      if (!m_env.files.Exists(output)) continue;
      const std::string renamed = IncompleteOutputPath(output);
      if (!m_env.files.MoveOver(output, renamed)) {
        Fail("备份未完成，无法把 " + output + " 改名为 " + renamed + "：" + m_env.files.LastErrorText());
      }
    }
  }

  // After the copy steps: every selected file of the source must have arrived whole.
  void RequireCompleteCopy(const CopySelection& selection) {
    if (m_bFailed) return;
    const CopyShortfall shortfall =
        FindCopyShortfall(m_env.files, m_request.strSouPath, m_names.strCopyFolder, selection);
    if (shortfall.nMissing == 0) return;
    Fail("备份失败：复制未完成，有 " + std::to_string(shortfall.nMissing) + " 个文件没有复制到 " +
         m_names.strCopyFolder + "，第一个是 " + shortfall.strFirst);
  }

  bool CreateFolder(const std::string& path) {
    if (m_env.files.MakeDirectory(path)) return true;
    Fail("创建路径\"" + path + "\"失败！");
    return false;
  }

  // An item goes into a quoted argument: a double quote in it would end the quotes early.
  bool AcceptItem(const std::string& item) {
    if (!Contains(item, "\"")) return true;
    Fail("文件列表项\"" + item + "\"含有双引号，已跳过");
    return false;
  }

  // The type masks of the list, unsupported forms refused and skipped.
  std::vector<std::string> TypeMasks() {
    std::vector<std::string> masks;
    for (const std::string& item : m_filter.items) {
      std::string mask;
      if (!ApplyTypeRule(item, &mask)) {
        Fail(kTypeFormMessage);
        continue;
      }
      if (AcceptItem(mask)) masks.push_back(mask);
    }
    return masks;
  }

  std::vector<std::string> NameItems() {
    std::vector<std::string> names;
    for (const std::string& item : m_filter.items) {
      std::string name = ApplyNameRule(item);
      if (AcceptItem(name)) names.push_back(name);
    }
    return names;
  }

  // The "-x" switches for excluded names, each item after the name rule. The rule's ".* " form
  // ends in a blank that separates switches: it stays outside the quotes an item with a blank
  // of its own needs.
  std::string ExcludeNameSwitches() {
    std::string switches;
    for (const std::string& item : m_filter.items) {
      const std::string mask = ApplyNameRule(item, ".*");
      if (AcceptItem(mask)) switches += QuoteIfBlank("-x" + mask) + (mask != item ? "  " : " ");
    }
    return switches;
  }

  void RunHidden(const std::string& program, const std::string& commandLine) {
    Check(commandLine, m_env.processes.RunHiddenAndWait(program, commandLine));
  }

  // A run for one list item, where "nothing matched" is no failure.
  void RunHiddenForItem(const std::string& program, const std::string& commandLine,
                        unsigned long nothingMatched) {
    Check(commandLine,
          ForgiveNothingMatched(m_env.processes.RunHiddenAndWait(program, commandLine), nothingMatched));
  }

  void RunThroughShellForItem(const std::string& program, const std::string& parameters) {
    Check(program + parameters,
          ForgiveNothingMatched(m_env.processes.ShellOpenHiddenAndWait(program, parameters),
                                kXcopyNothingMatched));
  }

  void RunThroughShell(const std::string& program, const std::string& parameters) {
    Check(program + parameters, m_env.processes.ShellOpenHiddenAndWait(program, parameters));
  }

  void RequireOutput(const std::string& path) {
    if (!m_bFailed && !m_env.files.Exists(path)) Fail("备份失败：没有生成备份文件 " + path);
  }

  // Opens the day's log as an append does, writing nothing: a run whose line could not be
  // written later does not start copying.
  bool CheckLogWritable() { return AppendToLog(std::string()); }

  // The log lists only backups that exist: called once the run has succeeded.
  bool AppendLogLine(const std::string& output) {
    return AppendToLog(FormatFileLogLine(GetTag(m_request.strRecord, "m_strID"), m_names.strLogTime,
                                         m_request.strSouPath, output));
  }

  void Succeed(const std::string& output) {
    m_env.reporter.ReportSuccess(kFileJobSuccessPrefix + output);
  }

 private:
  bool AppendToLog(const std::string& line) {
    if (m_env.log.AppendBackupLogLine(m_names.strLogFileName, line)) return true;
    Fail("备份日志写入失败：" + m_env.strProgramDir + "Log\\" + m_names.strLogFileName);
    return false;
  }

  bool OthersNameTaken(const std::string& copy) {
    for (const std::string& taken : {copy + ".zip", IncompleteOutputPath(copy), IncompleteOutputPath(copy + ".zip")}) {
      if (m_env.files.Exists(taken)) return true;
    }
    return false;
  }

  static ProcessResult ForgiveNothingMatched(ProcessResult result, unsigned long nothingMatched) {
    if (result.started && result.exitCode == nothingMatched) result.exitCode = 0;
    return result;
  }

  void Check(const std::string& what, const ProcessResult& result) {
    if (!result.started) {
      Fail("备份失败：无法启动命令 " + what + "（" + result.error + "）");
    } else if (result.exitCode != 0) {
      Fail("备份失败：命令 " + what + " 的退出代码为 " + std::to_string(result.exitCode));
    }
  }

  const FileBackupRequest& m_request;
  FileJobEnvironment& m_env;
  LocalTime m_start;
  FileJobNames m_names;
  FileFilter m_filter;
  bool m_bFailed = false;
};

// Deletes every file below `folder` whose name an archiver exclusion mask would match.
void DeleteMatchingFiles(CFileJobRun& run, IFileSystem& files, const std::string& folder,
                         const std::vector<std::string>& masks) {
  for (const DirectoryEntry& entry : files.ListDirectory(folder)) {
    const std::string path = folder + "\\" + entry.name;
    // A link in the copy leads out of it: what it points to is not the run's to delete.
    if (entry.isLink) continue;
    if (entry.isDirectory) {
      DeleteMatchingFiles(run, files, path, masks);
      continue;
    }
    for (const std::string& mask : masks) {
      if (!MatchesMask(entry.name, mask)) continue;
      if (!files.RemoveFile(path)) run.Fail("删除排除的文件失败：" + path);
      break;
    }
  }
}

}  // namespace

void DoBackup(const FileBackupRequest& request, FileJobEnvironment& env) {
  CFileJobRun run(request, env);
  const FileJobNames& names = run.Names();
  if (run.RefuseMalformedText()) return;
  if (!run.CreateFolder(names.strDateFolder)) return;
  if (run.RefuseMalformedFilter()) return;
  if (!run.ClaimOutputName()) return;
  run.ReportDroppedItems();
  run.ReportMissingDirection();

  const std::string rarProgram = env.strRarDir + "rar.exe";
  const std::string rar = env.strRarDir + "rar";
  const std::string archive = "\"" + names.strDateFolder + "\\" + names.strArchiveName + "\"";
  const std::string source = "\"" + request.strSouPath + "\"";
  const FileFilter& filter = run.Filter();
  const bool byNames = filter.scope == FilterScope::kNames;
  if (filter.scope == FilterScope::kAllFiles) {
    run.RunHidden(rarProgram, rar + " a -r -m5 -o+ -ibck -y  -ilog -k " + archive + " " + source);
  } else if (filter.direction == FilterDirection::kInclude) {
    // One run per item (a name or a type mask), each adding to the same archive.
    std::vector<std::string> items = byNames ? run.NameItems() : run.TypeMasks();
    for (const std::string& item : items) {
      // The item stays outside the quoted folder unless it needs quotes of its own.
      const std::string what = item == QuoteIfBlank(item) ? source + "\\" + item
                                                          : QuoteIfBlank(request.strSouPath + "\\" + item);
      run.RunHiddenForItem(rarProgram, rar + " a -r -m5 -o+ -ibck -y  -ilog  " + archive + " " + what,
                           kRarNothingMatched);
    }
  } else if (filter.direction == FilterDirection::kExclude) {
    std::string switches = " a -r -m5 -o+ -ibck -y  -ilog  ";
    if (byNames) {
      switches += run.ExcludeNameSwitches();
    } else {
      for (const std::string& mask : run.TypeMasks()) switches += QuoteIfBlank("-x" + mask) + " ";
    }
    run.RunHidden(rarProgram, rar + switches + " " + archive + " \"" + request.strSouPath + "\\*.*\"");
  }
  run.RequireOutput(names.strArchive);
  run.ReleaseClaim();
  if (run.Failed()) {
    run.MarkIncomplete({names.strArchive});
    return;
  }

  env.reporter.UpdateTaskStatus(request.strRecord);
  // A line that cannot be written is the run's one report (a failure), not a success besides.
  if (run.AppendLogLine(names.strArchive)) run.Succeed(names.strArchive);
}

void DoBackupNocut(const FileBackupRequest& request, FileJobEnvironment& env) {
  CFileJobRun run(request, env);
  const FileJobNames& names = run.Names();
  const std::string& copy = names.strCopyFolder;
  if (run.RefuseMalformedText()) return;
  if (!run.CreateFolder(names.strDateFolder)) return;
  if (!run.ClaimOutputName()) return;
  // The lines are written once the run has succeeded, but a run that could not write them does
  // not copy at all.
  if (!run.CheckLogWritable() || run.RefuseMalformedFilter()) {
    run.ReleaseClaim();
    return;
  }
  run.ReportDroppedItems();
  run.ReportMissingDirection();

  const std::string wholeSource = " /y /e \"" + request.strSouPath + "\" \"" + copy + "\"";
  const FileFilter& filter = run.Filter();
  const CopySelection wholeCopy;
  if (filter.scope == FilterScope::kAllFiles) {
    run.RunHidden(kXcopy, "xcopy" + wholeSource);
    run.RequireCompleteCopy(wholeCopy);
  } else if (filter.scope == FilterScope::kNames && filter.direction == FilterDirection::kInclude) {
    const CopySelection named{false, run.NameItems()};
    for (const std::string& item : named.masks) {
      run.RunHiddenForItem(kXcopy, "xcopy /y /e \"" + request.strSouPath + "\\" + item + "\" \"" + copy + "\"",
                           kXcopyNothingMatched);
    }
    run.RequireCompleteCopy(named);
  } else if (filter.scope == FilterScope::kNames && filter.direction == FilterDirection::kExclude) {
    run.RunHidden(kXcopy, "xcopy" + wholeSource);
    // Checked before the excluded names go: the copy must first hold everything.
    run.RequireCompleteCopy(wholeCopy);
    // The same masks the archiver's exclusion switches get, so "是" and "否" leave out the same.
    DeleteMatchingFiles(run, env.files, copy, run.NameItems());
  } else if (filter.direction == FilterDirection::kInclude) {
    const CopySelection typed{false, run.TypeMasks()};
    // Started through the shell as before, but waited for: a failed copy must be seen.
    for (const std::string& mask : typed.masks) {
      run.RunThroughShellForItem(kXcopy, " /y /e \"" + request.strSouPath + "\\" + mask + "\" \"" + copy + "\"");
    }
    run.RequireCompleteCopy(typed);
  } else if (filter.direction == FilterDirection::kExclude) {
    // Erasing starts only once the whole copy has ended.
    run.RunThroughShell(kXcopy, wholeSource);
    run.RequireCompleteCopy(wholeCopy);
    for (const std::string& mask : run.TypeMasks()) {
      // cmd reads the erase line: user-typed metacharacters or path parts must never reach it.
      char special = FindShellMetacharacter(mask);
      if (special || Contains(mask, "\\") || Contains(mask, "/") || Contains(mask, ":")) {
        run.Fail("文件类型\"" + mask + "\"含有不允许的字符，已跳过");
        continue;
      }
      // Inside the quotes only "%" still means something to cmd.
      if (Contains(copy, "%")) {
        run.Fail("备份路径\"" + copy + "\"含有字符%，无法删除排除的类型");
        break;
      }
      run.RunHidden("cmd", "cmd   /c  erase /q /f /s \"" + copy + "\\" + mask + "\"");
    }
  }
  if (request.bCompressAfter) {
    run.RunHidden(env.strRarDir + "rar.exe", env.strRarDir + "rar.exe " + " a -r -m5 -o+ -ibck -y -ilog -k  \"" + copy +
                  ".zip\" \"" + copy + "\"");
    run.RequireOutput(copy + ".zip");
  }
  if (run.Failed()) {
    // The archive first: it is made from the folder and named after it.
    if (request.bCompressAfter) run.MarkIncomplete({copy + ".zip"});
    run.MarkIncomplete({copy});
    return;
  }

  env.reporter.UpdateTaskStatus(request.strRecord);
  if (!run.AppendLogLine(copy) || (request.bCompressAfter && !run.AppendLogLine(copy + ".zip"))) return;
  if (request.bCompressAfter) run.Succeed(copy);
  run.Succeed(request.bCompressAfter ? copy + ".zip" : copy);
}

}  // namespace dorvik
