// Writes the example config.db used by the demo and the end-to-end tests, then reads it back
// and prints its tasks:
//   example_config.exe PROGRAM_DIR SOURCE_DIR STORE_DIR SQL_STORE_DIR
//       [--file-task "SouPath;DesPath;striscut;strdate;m_strtime;strissave"]...
//       [--sql-task "sqlname;despath;iscut;date;time;projectname;issave"]...
// Extra file tasks back up all files; extra tasks get the next identifiers.
#include <cstdio>
#include <string>
#include <vector>

#include "common/gbk.h"
#include "common/text.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "config/document.h"
#include "config/file_task_record.h"
#include "config/sql_task_record.h"

using namespace dorvik;

namespace {

std::string JoinFields(const std::vector<std::string>& fields) {
  std::string text;
  for (const std::string& field : fields) text += (text.empty() ? "" : ";") + field;
  return text;
}

int Usage() {
  std::fprintf(stderr,
               "usage: example_config PROGRAM_DIR SOURCE_DIR STORE_DIR SQL_STORE_DIR\n"
               "  [--file-task \"SouPath;DesPath;striscut;strdate;m_strtime;strissave\"]\n"
               "  [--sql-task \"sqlname;despath;iscut;date;time;projectname;issave\"]\n");
  return 2;
}

std::vector<std::string> Fields(const std::string& text, std::size_t count) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  for (;;) {
    std::string::size_type pos = FindFirstChar(text, ';', start);
    fields.push_back(text.substr(start, pos == std::string::npos ? pos : pos - start));
    if (pos == std::string::npos) break;
    start = pos + 1;
  }
  if (fields.size() != count) fields.clear();
  return fields;
}

// A new all-files task as the editor would leave it, with the stored texts given directly.
std::string FileTask(const std::vector<std::string>& f, long long* nextId) {
  FileTaskEditorValues values;
  values.strSouPath = f[0];
  values.strDesPath = f[1];
  values.strScope = "所有文件";
  values.strListKind = "指定文件";
  values.strDirection = "备份此类型";
  values.strHours = f[4];
  FileTaskRecord record = ReadFileTaskRecord(BuildFileTaskRecord(values, nextId));
  record.m_strIsCut = f[2];
  record.m_strDate = f[3];
  record.m_strIsSave = f[5];
  return FileTaskRecordText(record);
}

std::string SqlTask(const std::vector<std::string>& f, long long id) {
  SqlTaskEditorValues values;
  values.strSqlName = f[0];
  values.strStoreText = f[1];
  values.strIsCut = f[2];
  values.strDate = f[3];
  values.strTime = f[4];
  values.strProjectName = f[5];
  values.strIsSave = f[6];
  values.nSelectedCount = static_cast<int>(SplitNonEmpty(f[0], ',').size());
  values.strID = std::to_string(id);
  return BuildSqlTaskRecord(values, values.nSelectedCount);
}

void PrintTasks(const std::string& document) {
  std::printf("rarpath: %s\n", GetTag(document, "rarpath").c_str());
  for (const std::string& text : SplitRecords("FileBackups", document)) {
    FileTaskRecord r = ReadFileTaskRecord(text);
    std::printf("file task %s: %s -> %s, %s, striscut %s, %s at %s, %s, Check %s, status %s\n",
                r.m_strID.c_str(), r.m_strSouPath.c_str(), r.m_strDesPath.c_str(),
                r.m_strFile.c_str(), r.m_strIsCut.c_str(), r.m_strDate.c_str(),
                r.m_strTime.c_str(), r.m_strIsSave.c_str(), r.m_strCheck.c_str(),
                r.m_strStatus.c_str());
  }
  for (const std::string& text : SplitRecords("SqlBackups", document)) {
    SqlTaskRecord r = ReadSqlTaskRecord(text);
    std::printf("sql task %s (%s): %s -> %s, iscut %s, %s at %s, %s, Check %s, status %s\n",
                r.m_strID.c_str(), r.m_strProjectName.c_str(), r.m_strSqlName.c_str(),
                r.m_strDesPath.c_str(), r.m_strIsCut.c_str(), r.m_strDate.c_str(),
                r.m_strTime.c_str(), r.m_strIsSave.c_str(), r.m_strCheck.c_str(),
                r.m_strStatus.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return Usage();
  const std::string programDir = WithTrailingBackslash(argv[1]);

  std::vector<std::string> fileTasks = {JoinFields({argv[2], argv[3], "是", "每天", "2",
                                                    "删除7天以前的"})};
  std::vector<std::string> sqlTasks = {JoinFields({"demo", argv[4], "是", "每天", "3", "nightly",
                                                   "删除7天以前的"})};
  for (int i = 5; i < argc; i += 2) {
    std::string flag = argv[i];
    if (i + 1 >= argc) return Usage();
    if (flag == "--file-task") {
      fileTasks.push_back(argv[i + 1]);
    } else if (flag == "--sql-task") {
      sqlTasks.push_back(argv[i + 1]);
    } else {
      return Usage();
    }
  }

  std::unique_ptr<IConfigFile> file = MakeConfigFile(programDir + "config.db");
  CConfigStore store(*file, SilentConfigReactions());
  if (!store.SaveConfigDocument(DefaultConfigDocument(programDir + "rar.exe"))) {
    std::fprintf(stderr, "cannot write %sconfig.db\n", programDir.c_str());
    return 1;
  }
  long long nextFileId = 0;
  for (const std::string& task : fileTasks) {
    std::vector<std::string> f = Fields(task, 6);
    if (f.empty()) return Usage();
    if (!AddFileTask(store, FileTask(f, &nextFileId))) return 1;
  }
  long long sqlId = 0;
  for (const std::string& task : sqlTasks) {
    std::vector<std::string> f = Fields(task, 7);
    if (f.empty()) return Usage();
    if (!AddSqlTask(store, SqlTask(f, ++sqlId))) return 1;
  }

  std::string document;
  if (!store.LoadConfigDocument(&document)) return 1;
  PrintTasks(document);
  return 0;
}
