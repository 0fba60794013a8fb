// The cost of one console edit on documents of growing size: load (read and unscramble), change
// one record (a locked read-modify-write through ReplaceInConfigDocument), and save.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "common/text.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "config/document.h"
#include "config/file_task_record.h"

using namespace dorvik;

namespace {

std::string BenchPath(long long tasks) {
  const char* root = std::getenv("DORVIK_TEST_ROOT");
  return std::string(root && *root ? root : "/tmp") + "/config_bench_" + std::to_string(tasks) +
         ".db";
}

std::string Document(long long tasks) {
  std::string records;
  long long next = 0;
  for (long long i = 0; i < tasks; ++i) {
    FileTaskEditorValues values;
    values.strSouPath = "D:\\业务数据\\部门" + std::to_string(i);
    values.strDesPath = "E:\\备份存储";
    values.strScope = "所有文件";
    values.strListKind = "指定文件";
    values.strDirection = "备份此类型";
    values.strHours = "2,14";
    records += BuildFileTaskRecord(values, &next) + kRecordSeparator;
  }
  return ReplaceAll(DefaultConfigDocument("C:\\Program Files\\WinRAR\\rar.exe"),
                    "<FileBackups>|||", "<FileBackups>|||" + records);
}

struct Fixture {
  explicit Fixture(long long tasks)
      : path(BenchPath(tasks)), file(MakeConfigFile(path)), store(*file, SilentConfigReactions()),
        document(Document(tasks)) {
    store.SaveConfigDocument(document);
  }
  ~Fixture() {
    std::remove(path.c_str());
    std::remove((path + ".lock").c_str());
  }
  std::string path;
  std::unique_ptr<IConfigFile> file;
  CConfigStore store;
  std::string document;
};

void Report(benchmark::State& state, const Fixture& f) {
  state.counters["tasks"] = static_cast<double>(state.range(0));
  state.counters["bytes"] = static_cast<double>(2 * f.document.size());
}

void BM_Load(benchmark::State& state) {
  Fixture f(state.range(0));
  std::string text;
  for (auto _ : state) {
    f.store.LoadConfigDocument(&text);
    benchmark::DoNotOptimize(text);
  }
  Report(state, f);
}

void BM_ChangeOneRecord(benchmark::State& state) {
  Fixture f(state.range(0));
  bool checked = false;
  for (auto _ : state) {
    std::vector<std::string> missing;
    SetFileTaskChecks(f.store, {{std::to_string(state.range(0) / 2 + 1), checked}}, &missing);
    checked = !checked;
  }
  Report(state, f);
}

void BM_Save(benchmark::State& state) {
  Fixture f(state.range(0));
  for (auto _ : state) f.store.SaveConfigDocument(f.document);
  Report(state, f);
}

}  // namespace

BENCHMARK(BM_Load)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangeOneRecord)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
