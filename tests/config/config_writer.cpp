// A writer of config.db for the end-to-end tests, one task per save like the console:
//   config_writer.exe CONFIG_PATH seed N        a fresh document with N file tasks, one save
//   config_writer.exe CONFIG_PATH until N       adds tasks (ids continue) until N are stored
//   config_writer.exe CONFIG_PATH add K BASE    adds K tasks with ids BASE+1..BASE+K
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "config/document.h"
#include "config/file_task_record.h"

using namespace dorvik;

namespace {

std::string TaskRecord(long long id) {
  FileTaskEditorValues values;
  values.strSouPath = "D:\\业务数据\\部门" + std::to_string(id) + "\\每日报表与归档文件";
  values.strDesPath = "E:\\备份存储\\部门" + std::to_string(id);
  values.strScope = "指定文件";
  values.strListKind = "指定文件名";
  values.strList = "report.xls,*.doc,*.txt";
  values.strDirection = "备份此文件";
  values.bKeep = false;
  values.nDays = 30;
  values.strHours = "2,14";
  long long next = id - 1;
  return BuildFileTaskRecord(values, &next);
}

int Seed(CConfigStore& store, long long count) {
  std::string records;
  for (long long id = 1; id <= count; ++id) records += TaskRecord(id) + kRecordSeparator;
  std::string document = DefaultConfigDocument("C:\\Program Files\\WinRAR\\rar.exe");
  document = ReplaceAll(document, "<FileBackups>|||", "<FileBackups>|||" + records);
  return store.SaveConfigDocument(document) ? 0 : 1;
}

int Until(CConfigStore& store, long long target) {
  for (;;) {
    std::string document;
    if (!store.LoadConfigDocument(&document)) return 1;
    std::vector<std::string> records = SplitRecords("FileBackups", document);
    if (static_cast<long long>(records.size()) >= target) return 0;
    long long id = NextFileTaskId(records) + 1;
    if (!AddFileTask(store, TaskRecord(id))) return 1;
  }
}

int Add(CConfigStore& store, long long count, long long base) {
  for (long long id = base + 1; id <= base + count; ++id) {
    if (!AddFileTask(store, TaskRecord(id))) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: config_writer CONFIG_PATH seed N | until N | add K BASE\n");
    return 2;
  }
  std::unique_ptr<IConfigFile> file = MakeConfigFile(argv[1]);
  CConfigStore store(*file, SilentConfigReactions());
  const std::string mode = argv[2];
  const long long n = std::atoll(argv[3]);
  if (mode == "seed") return Seed(store, n);
  if (mode == "until") return Until(store, n);
  if (mode == "add" && argc == 5) return Add(store, n, std::atoll(argv[4]));
  return 2;
}
