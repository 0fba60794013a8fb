#include <gtest/gtest.h>

#include <memory>

#include "jobs/file_backup_job.h"
#include "tests/common/fake_file_system.h"
#include "tests/jobs/fixed_clock.h"
#include "tests/jobs/recording_process_runner.h"

using namespace dorvik;

namespace {

class CRecordingReporter : public IFileJobReporter {
 public:
  void UpdateTaskStatus(const std::string& record) override { statusRecords.push_back(record); }
  void ReportSuccess(const std::string& message) override { successes.push_back(message); }
  void ReportFailure(const std::string& message) override { failures.push_back(message); }
  void RunEnded() override { ++nEnded; }
  std::vector<std::string> statusRecords, successes, failures;
  int nEnded = 0;
};

const char kArchive[] = "D:\\bak\\2024-5-1\\file_shop_20240501083000.zip";
const char kCopy[] = "D:\\bak\\2024-5-1\\file_shop_20240501083000";
const char kLogFile[] = "C:\\Dorvik\\Log\\2024_05_01.log";

std::string Filter(const char* kind, const char* list, const char* direction) {
  return std::string("!指定文件/!@") + kind + "/@#" + list + "/#$" + direction + "/$";
}

// The worked example's task: C:\web\shop into D:\bak, run at 2024-05-01 08:30:00.
struct JobFixture {
  CFakeFileSystem files;
  CRecordingProcessRunner processes;
  CRecordingReporter reporter;
  CFixedClock clock{MakeLocalTime(2024, 5, 1, 8, 30, 0)};
  std::unique_ptr<IBackupLog> log = MakeBackupLog("C:\\Dorvik\\", files);
  FileJobEnvironment env{"C:\\Program Files\\WinRAR\\", "C:\\Dorvik\\", processes, *log, files,
                         clock, reporter};
  FileBackupRequest request;

  JobFixture() {
    files.AddFolder("C:\\Dorvik");
    files.AddFolder("C:\\web\\shop");
    files.AddFolder("D:\\bak");
    request.strRecord = "<m_strID>3</m_strID>";
    request.strSouPath = "C:\\web\\shop";
    request.strDesPath = "D:\\bak";
    // The archiver and xcopy make what they are asked to make.
    processes.onStart = [this](const std::string& line) {
      if (line.find("rar") != std::string::npos) {
        files.AddFile(line.find(".zip\" \"D:") != std::string::npos ? std::string(kCopy) + ".zip"
                                                                     : std::string(kArchive));
      }
    };
  }
};

ProcessResult Ended(bool started, unsigned long exitCode, const std::string& error) {
  ProcessResult result;
  result.started = started;
  result.exitCode = exitCode;
  result.error = error;
  return result;
}

const char kRar[] = "C:\\Program Files\\WinRAR\\rar a -r -m5 -o+ -ibck -y  -ilog ";

}  // namespace

TEST(DoBackup, CommandLinesOfEveryFilter) {
  struct Case { std::string filter; std::vector<std::string> lines; const char* why; } cases[] = {
      {"!所有文件/!@指定文件/@##$备份此类型/$",
       {std::string(kRar) + "-k \"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\" \"C:\\web\\shop\""},
       "all files"},
      {Filter("指定文件名", "logs,cache.txt", "备份其它文件"),
       {std::string(kRar) + " -xlogs.*  -xcache.txt  \"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\" \"C:\\web\\shop\\*.*\""},
       "exclude names: one run with -x masks"},
      {Filter("指定文件名", "index,readme.txt", "备份此文件"),
       {std::string(kRar) + " \"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\" \"C:\\web\\shop\"\\index.*",
        std::string(kRar) + " \"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\" \"C:\\web\\shop\"\\readme.txt"},
       "include names: one run per item"},
      {Filter("指定类型", "exe,.dll", "备份此类型"),
       {std::string(kRar) + " \"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\" \"C:\\web\\shop\"\\*.exe",
        std::string(kRar) + " \"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\" \"C:\\web\\shop\"\\*.dll"},
       "include types: the masks as folder\\mask, one run each"},
      {Filter("指定类型", "log,*.tmp", "备份其它类型"),
       {std::string(kRar) + " -x*.log -x*.tmp  \"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\" \"C:\\web\\shop\\*.*\""},
       "exclude types: -x masks"},
  };
  for (const Case& c : cases) {
    JobFixture f;
    f.request.strFile = c.filter;
    DoBackup(f.request, f.env);
    EXPECT_EQ(f.processes.CommandLines(), c.lines) << c.why;
    for (const auto& start : f.processes.starts) {
      EXPECT_EQ(start.kind, CRecordingProcessRunner::Start::kHiddenWait) << c.why;
      EXPECT_EQ(start.program, "C:\\Program Files\\WinRAR\\rar.exe") << "never taken from the line";
    }
    EXPECT_TRUE(f.reporter.failures.empty()) << c.why << ": " << f.reporter.failures.front();
    EXPECT_EQ(f.reporter.successes, std::vector<std::string>{std::string("操作成功！备份文件：") + kArchive}) << c.why;
    EXPECT_EQ(f.reporter.statusRecords, std::vector<std::string>{"<m_strID>3</m_strID>"}) << c.why;
    EXPECT_EQ(f.files.FileContent(kLogFile),
              "3                  2024-05-01 08:30:00    C:\\web\\shop                       "
              "D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\r\n") << c.why;
    EXPECT_EQ(f.reporter.nEnded, 1) << c.why;
  }
}

TEST(DoBackupNocut, CommandLinesOfEveryFilter) {
  using Kind = CRecordingProcessRunner::Start::Kind;
  const std::string zip = " C:\\Program Files\\WinRAR\\rar.exe  a -r -m5 -o+ -ibck -y -ilog -k  "
                          "\"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\" \"D:\\bak\\2024-5-1\\file_shop_20240501083000\"";
  struct Case { std::string filter; bool compress; std::vector<CRecordingProcessRunner::Start> starts; const char* why; } cases[] = {
      {"!所有文件/!", false,
       {{Kind::kHiddenWait, "xcopy /y /e \"C:\\web\\shop\" \"D:\\bak\\2024-5-1\\file_shop_20240501083000\"", "xcopy"}},
       "all files"},
      {"!所有文件/!", true,
       {{Kind::kHiddenWait, "xcopy /y /e \"C:\\web\\shop\" \"D:\\bak\\2024-5-1\\file_shop_20240501083000\"", "xcopy"},
        {Kind::kHiddenWait, zip.substr(1), "C:\\Program Files\\WinRAR\\rar.exe"}},
       "all files, then the copy archived"},
      {Filter("指定文件名", "index,readme.txt", "备份此文件"), false,
       {{Kind::kHiddenWait, "xcopy /y /e \"C:\\web\\shop\\index.*\" \"D:\\bak\\2024-5-1\\file_shop_20240501083000\"", "xcopy"},
        {Kind::kHiddenWait, "xcopy /y /e \"C:\\web\\shop\\readme.txt\" \"D:\\bak\\2024-5-1\\file_shop_20240501083000\"", "xcopy"}},
       "include names: one xcopy per item"},
      {Filter("指定类型", "exe,*.dll", "备份此类型"), true,
       {{Kind::kShellOpenWait, "xcopy  /y /e \"C:\\web\\shop\\*.exe\" \"D:\\bak\\2024-5-1\\file_shop_20240501083000\"", "xcopy"},
        {Kind::kShellOpenWait, "xcopy  /y /e \"C:\\web\\shop\\*.dll\" \"D:\\bak\\2024-5-1\\file_shop_20240501083000\"", "xcopy"},
        {Kind::kHiddenWait, zip.substr(1), "C:\\Program Files\\WinRAR\\rar.exe"}},
       "include types through the shell, waited for; the filtered copy is archived"},
      {Filter("指定类型", "log", "备份其它类型"), false,
       {{Kind::kShellOpenWait, "xcopy  /y /e \"C:\\web\\shop\" \"D:\\bak\\2024-5-1\\file_shop_20240501083000\"", "xcopy"},
        {Kind::kHiddenWait, "cmd   /c  erase /q /f /s \"D:\\bak\\2024-5-1\\file_shop_20240501083000\\*.log\"", "cmd"}},
       "exclude types: the copy, then erase"},
  };
  for (const Case& c : cases) {
    JobFixture f;
    f.request.strFile = c.filter;
    f.request.bCompressAfter = c.compress;
    DoBackupNocut(f.request, f.env);
    ASSERT_EQ(f.processes.starts.size(), c.starts.size()) << c.why;
    for (std::size_t i = 0; i < c.starts.size(); ++i) {
      EXPECT_EQ(f.processes.starts[i].commandLine, c.starts[i].commandLine) << c.why;
      EXPECT_EQ(f.processes.starts[i].kind, c.starts[i].kind) << c.why;
      EXPECT_EQ(f.processes.starts[i].program, c.starts[i].program) << c.why;
    }
    EXPECT_TRUE(f.reporter.failures.empty()) << c.why << ": " << f.reporter.failures.front();
    std::string line = "3                  2024-05-01 08:30:00    C:\\web\\shop                       "
                       "D:\\bak\\2024-5-1\\file_shop_20240501083000";
    std::string lines = line + "\r\n" + (c.compress ? line + ".zip\r\n" : "");
    EXPECT_EQ(f.files.FileContent(kLogFile), lines) << c.why;
    std::vector<std::string> messages{std::string("操作成功！备份文件：") + kCopy};
    if (c.compress) messages.push_back(std::string("操作成功！备份文件：") + kCopy + ".zip");
    EXPECT_EQ(f.reporter.successes, messages) << c.why;
    EXPECT_EQ(f.reporter.statusRecords.size(), 1u) << c.why;
    EXPECT_EQ(f.reporter.nEnded, 1) << c.why;
  }
}

TEST(DoBackupNocut, ExcludedNamesAreDeletedAsTheArchiverMasksMatch) {
  JobFixture f;
  f.request.strFile = Filter("指定文件名", "logs,cache.txt,a.com", "备份其它文件");
  f.processes.onStart = [&](const std::string&) {
    for (const char* name : {"logs", "logs.txt", "mylogs.txt", "sub\\LOGS.old", "cache.txt",
                             "sub\\deep\\cache.txt", "cache.txt.bak", "a.com", "a.com.x", "index.html"}) {
      f.files.AddFile(std::string(kCopy) + "\\" + name);
    }
    f.files.AddFile("E:\\elsewhere\\logs.txt");
    f.files.AddLink(std::string(kCopy) + "\\linked", "E:\\elsewhere");
  };
  DoBackupNocut(f.request, f.env);
  EXPECT_TRUE(f.files.Exists("E:\\elsewhere\\logs.txt")) << "a link in the copy is not followed";
  // "a.com.*" does not match "a.com": the archiver's -x mask keeps it too.
  EXPECT_EQ(f.files.ListTree(kCopy),
            (std::vector<std::string>{std::string(kCopy) + "\\a.com", std::string(kCopy) + "\\cache.txt.bak", std::string(kCopy) + "\\index.html", std::string(kCopy) + "\\linked",
                                      std::string(kCopy) + "\\mylogs.txt", std::string(kCopy) + "\\sub",
                                      std::string(kCopy) + "\\sub\\deep"}));
  EXPECT_TRUE(f.reporter.failures.empty());
}

TEST(FileJobs, FailedProgramsAreReportedNotSucceeded) {
  struct Case { bool nocut; std::string filter; std::string failing; ProcessResult result; std::string message; const char* why; } cases[] = {
      {false, "!所有文件/!", "rar", Ended(true, 2, ""),
       std::string("备份失败：命令 ") + kRar + "-k \"" + kArchive + "\" \"C:\\web\\shop\" 的退出代码为 2",
       "the archiver fails"},
      {true, "!所有文件/!", "xcopy", Ended(false, 0, "系统找不到指定的文件。 (2)"),
       std::string("备份失败：无法启动命令 xcopy /y /e \"C:\\web\\shop\" \"") + kCopy + "\"（系统找不到指定的文件。 (2)）",
       "xcopy cannot start"},
      {true, Filter("指定类型", "exe", "备份此类型"), "xcopy", Ended(true, 4, ""),
       std::string("备份失败：命令 xcopy /y /e \"C:\\web\\shop\\*.exe\" \"") + kCopy + "\" 的退出代码为 4",
       "the shell-started xcopy fails"},
      {true, Filter("指定类型", "log", "备份其它类型"), "erase", Ended(true, 1, ""),
       std::string("备份失败：命令 cmd   /c  erase /q /f /s \"") + kCopy + "\\*.log\" 的退出代码为 1",
       "erase fails"},
  };
  for (const Case& c : cases) {
    JobFixture f;
    f.request.strFile = c.filter;
    f.processes.results[c.failing] = c.result;
    if (c.failing == "rar") f.processes.onStart = nullptr;  // a failed archiver leaves nothing
    if (c.nocut) DoBackupNocut(f.request, f.env);
    else DoBackup(f.request, f.env);
    EXPECT_EQ(f.reporter.failures, std::vector<std::string>{c.message}) << c.why;
    EXPECT_TRUE(f.reporter.successes.empty()) << c.why;
    EXPECT_TRUE(f.reporter.statusRecords.empty()) << c.why;
    EXPECT_EQ(f.reporter.nEnded, 1) << c.why;
    if (!c.nocut) {
      EXPECT_EQ(f.files.FileContent(kLogFile), "") << "no line for an archive never made";
    }
  }
}

// One list item that matches nothing is not a failed run; a run in which none matched is.
TEST(FileJobs, ListItemsThatMatchNothing) {
  {
    JobFixture f;
    f.request.strFile = Filter("指定文件名", "index,missing", "备份此文件");
    f.processes.results["\\missing.*"] = Ended(true, 10, "");  // the archiver: nothing to add
    DoBackup(f.request, f.env);
    EXPECT_TRUE(f.reporter.failures.empty());
    EXPECT_EQ(f.reporter.successes, std::vector<std::string>{std::string("操作成功！备份文件：") + kArchive});
  }
  {
    JobFixture f;
    f.request.strFile = Filter("指定文件名", "missing", "备份此文件");
    f.processes.results["\\missing.*"] = Ended(true, 10, "");
    f.processes.onStart = nullptr;  // nothing matched, so no archive
    DoBackup(f.request, f.env);
    EXPECT_EQ(f.reporter.failures, std::vector<std::string>{std::string("备份失败：没有生成备份文件 ") + kArchive});
    EXPECT_TRUE(f.reporter.statusRecords.empty());
  }
  {
    JobFixture f;
    f.request.strFile = Filter("指定文件名", "index,missing", "备份此文件");
    f.processes.results["\\missing.*"] = Ended(true, 1, "");  // xcopy: no files found
    DoBackupNocut(f.request, f.env);
    EXPECT_TRUE(f.reporter.failures.empty());
    EXPECT_EQ(f.reporter.statusRecords.size(), 1u);
  }
  {
    JobFixture f;
    f.request.strFile = "!所有文件/!";
    f.processes.results["xcopy"] = Ended(true, 1, "");  // the whole source: a real failure
    DoBackupNocut(f.request, f.env);
    EXPECT_EQ(f.reporter.failures.size(), 1u);
  }
}

TEST(FileJobs, RefusedInputAndRunsWithoutOutput) {
  struct Case { bool nocut; std::string filter; std::vector<std::string> failures; std::size_t starts; bool logged; const char* why; bool archiverMakes = true; } cases[] = {
      {false, "!指定文件/!@指定文件/@#a/#", {"去死"}, 0, false, "no kind of list"},
      {false, "nothing", {"也去死"}, 0, false, "no scope"},
      {true, "!指定文件/!@指定文件/@#a/#", {"去死"}, 0, false, "copy mode: logged only after success"},
      {true, "nothing", {"也去死"}, 0, false, "copy mode, no scope"},
      {true, Filter("指定类型", "log&calc,*.tmp|x,..\\*.exe,%x%,*exe,bak", "备份其它类型"),
       {"文件类型输入方式有误  仅支持  *.exe .exe  exe 等三种输入格式",
        "文件类型\"*.log&calc\"含有不允许的字符，已跳过", "文件类型\"*.tmp|x\"含有不允许的字符，已跳过",
        "文件类型\"..\\*.exe\"含有不允许的字符，已跳过", "文件类型\"*.%x%\"含有不允许的字符，已跳过"},
       2, false, "erase items with cmd metacharacters or path parts are never run; *.bak still is"},
      {false, Filter("指定文件名", "index", "备份此类型"), {"文件过滤没有指定备份方式，没有备份任何文件"}, 0, false,
       "names without a names direction archive nothing"},
      {false, Filter("指定类型", "*exe", "备份此类型"),
       {"文件类型输入方式有误  仅支持  *.exe .exe  exe 等三种输入格式"},
       0, false, "every type refused: no archive, no success"},
      {false, Filter("指定文件名", "index", "备份此文件"), {std::string("备份失败：没有生成备份文件 ") + kArchive},
       1, false, "the archiver ended well but made nothing", false},
  };
  for (const Case& c : cases) {
    JobFixture f;
    f.request.strFile = c.filter;
    if (!c.archiverMakes) f.processes.onStart = nullptr;
    if (c.nocut) DoBackupNocut(f.request, f.env);
    else DoBackup(f.request, f.env);
    EXPECT_EQ(f.reporter.failures, c.failures) << c.why;
    EXPECT_EQ(f.processes.starts.size(), c.starts) << c.why;
    EXPECT_TRUE(f.reporter.successes.empty()) << c.why;
    EXPECT_TRUE(f.reporter.statusRecords.empty()) << c.why;
    EXPECT_EQ(f.files.FileContent(kLogFile).empty(), !c.logged) << c.why;
    EXPECT_EQ(f.reporter.nEnded, 1) << c.why;
  }
}

TEST(FileJobs, FoldersAndLogThatCannotBeWritten) {
  {
    JobFixture f;  // the copy folder cannot be created: nothing is copied
    f.request.strFile = "!所有文件/!";
    f.files.FailOn(kCopy);
    DoBackupNocut(f.request, f.env);
    EXPECT_EQ(f.reporter.failures, std::vector<std::string>{std::string("创建路径\"") + kCopy + "\"失败！"});
    EXPECT_TRUE(f.processes.starts.empty());
    EXPECT_EQ(f.reporter.nEnded, 1);
  }
  {
    JobFixture f;  // copy mode: no log, no copy
    f.request.strFile = "!所有文件/!";
    f.files.FailOn(kLogFile);
    DoBackupNocut(f.request, f.env);
    EXPECT_EQ(f.reporter.failures, std::vector<std::string>{"备份日志写入失败：C:\\Dorvik\\Log\\2024_05_01.log"});
    EXPECT_TRUE(f.processes.starts.empty());
    EXPECT_FALSE(f.files.Exists(kCopy));
  }
  {
    JobFixture f;  // archive mode: the archive is made; the missing line is the one report
    f.request.strFile = "!所有文件/!";
    f.files.FailOn(kLogFile);
    DoBackup(f.request, f.env);
    EXPECT_EQ(f.reporter.failures, std::vector<std::string>{"备份日志写入失败：C:\\Dorvik\\Log\\2024_05_01.log"});
    EXPECT_TRUE(f.reporter.successes.empty());
    EXPECT_EQ(f.reporter.nEnded, 1);
  }
  {
    JobFixture f;  // storage folder missing: the date folder cannot be made
    f.request.strFile = "!所有文件/!";
    f.request.strDesPath = "E:\\gone\\bak";
    DoBackup(f.request, f.env);
    EXPECT_EQ(f.reporter.failures, std::vector<std::string>{"创建路径\"E:\\gone\\bak\\2024-5-1\"失败！"});
    EXPECT_TRUE(f.processes.starts.empty());
  }
}

// A run never adds to an archive or a copy folder it did not make: when another run holds the
// name, it takes the next free second, so the name keeps its form.
TEST(FileJobs, OutputNamesTakenByAnotherRun) {
  const std::string folder = "D:\\bak\\2024-5-1\\file_shop_2024050108300";
  struct Case {
    bool nocut;
    bool compress;
    std::vector<std::string> taken;  // what other runs made before this one
    std::string output;
    std::string logTime;
    const char* why;
  } cases[] = {
      {false, false, {folder + "0.zip"}, folder + "1.zip", "2024-05-01 08:30:01", "the archive exists"},
      {false, false, {folder + "0\\"}, folder + "1.zip", "2024-05-01 08:30:01", "a copy folder holds the name"},
      {false, false, {folder + "0.zip", folder + "1\\", folder + "2.zip"}, folder + "3.zip", "2024-05-01 08:30:03",
       "the next free second"},
      {true, false, {folder + "0\\"}, folder + "1", "2024-05-01 08:30:01", "the copy folder exists"},
      {true, true, {folder + "0.zip"}, folder + "1.zip", "2024-05-01 08:30:01",
       "an archive of another run beside the copy name"},
      {false, false, {folder + "0.incomplete.zip"}, folder + "1.zip", "2024-05-01 08:30:01",
       "a failed run's archive keeps its name"},
      {true, false, {folder + "0.incomplete\\"}, folder + "1", "2024-05-01 08:30:01",
       "a failed run's copy keeps its name"},
  };
  for (const Case& c : cases) {
    JobFixture f;
    for (const std::string& path : c.taken) {
      if (path.back() == '\\') f.files.AddFolder(path.substr(0, path.size() - 1));
      else f.files.AddFile(path, "another run's");
    }
    f.processes.onStart = [&](const std::string& line) {
      if (line.find("rar") != std::string::npos) f.files.AddFile(c.output, "this run's");
    };
    f.request.strFile = "!所有文件/!";
    f.request.bCompressAfter = c.compress;
    if (c.nocut) DoBackupNocut(f.request, f.env);
    else DoBackup(f.request, f.env);
    EXPECT_TRUE(f.reporter.failures.empty()) << c.why << ": " << f.reporter.failures.front();
    EXPECT_EQ(f.reporter.successes.back(), "操作成功！备份文件：" + c.output) << c.why;
    EXPECT_NE(f.files.FileContent(kLogFile).find(c.logTime + "    C:\\web\\shop"), std::string::npos) << c.why;
    for (const std::string& path : c.taken) {
      if (path.back() != '\\') {
        EXPECT_EQ(f.files.FileContent(path), "another run's") << c.why;
      }
    }
    for (const std::string& line : f.processes.CommandLines()) {
      EXPECT_EQ(line.find(folder + "0"), std::string::npos) << c.why << ": " << line;
    }
    if (!c.nocut) {
      EXPECT_FALSE(f.files.Exists(c.output.substr(0, c.output.size() - 4))) << c.why << ": the claim goes";
    }
  }
}

TEST(FileJobs, ItemsWithBlanksStayOneArgument) {
  const std::string archive = " \"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\" ";
  struct Case {
    std::string filter;
    std::string line;
    const char* why;
  } cases[] = {
      {Filter("指定文件名", "my file", "备份此文件"), std::string(kRar) + archive + "\"C:\\web\\shop\\my file.*\"",
       "an included name"},
      {Filter("指定类型", "my type", "备份此类型"), std::string(kRar) + archive + "\"C:\\web\\shop\\*.my type\"",
       "an included type"},
      {Filter("指定文件名", "my file,b.txt", "备份其它文件"),
       std::string(kRar) + " \"-xmy file.*\"  -xb.txt " + archive + "\"C:\\web\\shop\\*.*\"", "an excluded name"},
      {Filter("指定类型", "my type", "备份其它类型"),
       std::string(kRar) + " \"-x*.my type\" " + archive + "\"C:\\web\\shop\\*.*\"", "an excluded type"},
  };
  for (const Case& c : cases) {
    JobFixture f;
    f.request.strFile = c.filter;
    DoBackup(f.request, f.env);
    EXPECT_EQ(f.processes.CommandLines(), std::vector<std::string>{c.line}) << c.why;
  }
}

// A lone GBK lead byte would swallow the quote or backslash joined after it.
TEST(FileJobs, TextThatIsNotGbkIsRefused) {
  struct Case {
    std::string source, storage, filter, message;
  } cases[] = {
      {"C:\\web\\a\x81", "D:\\bak", "!所有文件/!", "源文件路径含有无效的 GBK 字符，备份未进行"},
      {"C:\\web\\shop", "D:\\bak\x81", "!所有文件/!", "目标文件路径含有无效的 GBK 字符，备份未进行"},
      {"C:\\web\\shop", "D:\\bak", Filter("指定文件名", "a\x81", "备份此文件"), "文件列表含有无效的 GBK 字符，备份未进行"},
  };
  for (const Case& c : cases) {
    for (bool nocut : {false, true}) {
      JobFixture f;
      f.request.strSouPath = c.source;
      f.request.strDesPath = c.storage;
      f.request.strFile = c.filter;
      if (nocut) DoBackupNocut(f.request, f.env);
      else DoBackup(f.request, f.env);
      EXPECT_EQ(f.reporter.failures, std::vector<std::string>{c.message});
      EXPECT_TRUE(f.processes.starts.empty());
      EXPECT_EQ(f.files.FileContent(kLogFile), "");
      EXPECT_EQ(f.files.ListTree("D:\\bak"), std::vector<std::string>{});
    }
  }
}

// A run that fails after it made something keeps it under the incomplete names and logs nothing;
// a copy that did not arrive whole is a failure whatever xcopy answered.
TEST(FileJobs, FailedRunsKeepTheirOutputUnderIncompleteNames) {
  const std::string copy = kCopy;
  const std::string missingB = "备份失败：复制未完成，有 1 个文件没有复制到 " + copy + "，第一个是 C:\\web\\shop\\sub\\b.txt";
  struct Case {
    bool nocut;
    bool compress;
    std::string filter;
    std::vector<std::string> copied;  // what xcopy brings over of a.txt, sub\b.txt, .hidden
    std::string failing;              // a command that exits 6, or a path whose rename fails
    std::vector<std::string> failures;
    std::vector<std::string> left;    // the date folder afterwards
    const char* why;
  } cases[] = {
      {false, false, "!所有文件/!", {}, "rar", {std::string("备份失败：命令 ") + kRar + "-k \"" + kArchive + "\" \"C:\\web\\shop\" 的退出代码为 6"},
       {"file_shop_20240501083000.incomplete.zip"}, "the archiver could not read a file (exit 6)"},
      {true, false, "!所有文件/!", {"a.txt"}, "", {missingB},
       {"file_shop_20240501083000.incomplete", "file_shop_20240501083000.incomplete\\a.txt"},
       "xcopy exited 0 but stopped early"},
      {true, true, "!所有文件/!", {"a.txt"}, "", {missingB},
       {"file_shop_20240501083000.incomplete", "file_shop_20240501083000.incomplete.zip",
        "file_shop_20240501083000.incomplete\\a.txt"},
       "compress after: the copy and its archive"},
      {true, false, "!所有文件/!", {"a.txt", "sub\\b.txt"}, "", {},
       {"file_shop_20240501083000", "file_shop_20240501083000\\a.txt", "file_shop_20240501083000\\sub",
        "file_shop_20240501083000\\sub\\b.txt"},
       "a hidden file is not expected (xcopy without /h leaves it out), nor one the code page cannot spell"},
      {true, false, "!所有文件/!", {"a.txt", "sub\\b.txt=short"}, "", {missingB},
       {"file_shop_20240501083000.incomplete", "file_shop_20240501083000.incomplete\\a.txt",
        "file_shop_20240501083000.incomplete\\sub", "file_shop_20240501083000.incomplete\\sub\\b.txt"},
       "a file of another size did not arrive whole"},
      {true, false, Filter("指定类型", "txt", "备份此类型"), {"a.txt"}, "", {missingB},
       {"file_shop_20240501083000.incomplete", "file_shop_20240501083000.incomplete\\a.txt"},
       "include types: every selected file must arrive"},
      {true, false, Filter("指定文件名", "a.txt", "备份此文件"), {"a.txt"}, "", {},
       {"file_shop_20240501083000", "file_shop_20240501083000\\a.txt"}, "include names: only a.txt is selected"},
      {true, false, "!所有文件/!", {"a.txt"}, copy + ".incomplete",
       {missingB, "备份未完成，无法把 " + copy + " 改名为 " + copy + ".incomplete：Access is denied (5)"},
       {"file_shop_20240501083000", "file_shop_20240501083000\\a.txt"}, "a rename that fails is reported too"},
  };
  for (const Case& c : cases) {
    JobFixture f;
    f.files.AddFile("C:\\web\\shop\\a.txt", "aaaa");
    f.files.AddFile("C:\\web\\shop\\sub\\b.txt", "bbbb");
    f.files.AddFile("C:\\web\\shop\\.hidden", "h");
    f.files.MarkHiddenOrSystem("C:\\web\\shop\\.hidden");
    f.files.AddFile("C:\\web\\shop\\sub\\?.txt", "a name GBK cannot spell, as the ANSI listing shows it");
    f.request.strFile = c.filter;
    f.request.bCompressAfter = c.compress;
    if (c.failing == "rar") f.processes.results["rar"] = Ended(true, 6, "");
    else if (!c.failing.empty()) f.files.FailOn(c.failing);
    const auto makeArchives = f.processes.onStart;
    f.processes.onStart = [&](const std::string& line) {
      if (line.find("xcopy") == std::string::npos) return makeArchives(line);
      if (f.processes.starts.size() > 1) return;  // the first copy is enough
      for (const std::string& item : c.copied) {
        const std::string::size_type cut = item.find('=');
        const std::string name = item.substr(0, cut);
        const std::string source = "C:\\web\\shop\\" + name;
        f.files.AddFile(copy + "\\" + name, cut == std::string::npos ? f.files.FileContent(source) : item.substr(cut + 1));
      }
    };
    if (c.nocut) DoBackupNocut(f.request, f.env);
    else DoBackup(f.request, f.env);
    EXPECT_EQ(f.reporter.failures, c.failures) << c.why;
    std::vector<std::string> expected;
    for (const std::string& path : c.left) expected.push_back("D:\\bak\\2024-5-1\\" + path);
    EXPECT_EQ(f.files.ListTree("D:\\bak\\2024-5-1"), expected) << c.why;
    EXPECT_EQ(f.files.FileContent(kLogFile).empty(), !c.failures.empty()) << c.why << ": only a good run logs";
    EXPECT_EQ(f.reporter.statusRecords.size(), c.failures.empty() ? 1u : 0u) << c.why;
    EXPECT_EQ(f.reporter.nEnded, 1) << c.why;
  }
}
