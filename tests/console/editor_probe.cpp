// Opens one task editor the way the console does and prints the record OK would write, or
// "CANCEL". Used to look at and drive the real dialogs under Wine.
//   editor_probe file RECORD_FILE|- DEFAULT_STORE
//   editor_probe sql RECORD_FILE|- NEW_ID DEFAULT_STORE DB1,DB2,... [REFUSED1,REFUSED2,...]
// RECORD_FILE holds a record in GBK; "-" opens the editor for a new task.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "common/text.h"
#include "console/file_task_dlg.h"
#include "console/sql_task_dlg.h"

namespace {

std::string ReadRecord(const std::string& path) {
  if (path == "-") return std::string();
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Print(bool ok, const std::string& record) {
  std::printf("%s\n", ok ? record.c_str() : "CANCEL");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace dorvik;
  std::string kind = argc > 1 ? argv[1] : "";
  if (kind == "file" && argc == 4) {
    FileTaskEditorValues values;
    long long nextId = 0;
    bool ok = RunFileTaskEditor(nullptr, ReadRecord(argv[2]), argv[3], &values);
    return Print(ok, ok ? BuildFileTaskRecord(values, &nextId) : std::string());
  }
  if (kind == "sql" && (argc == 6 || argc == 7)) {
    SqlTaskEditorContext context;
    context.strRecordText = ReadRecord(argv[2]);
    context.bChange = !context.strRecordText.empty();
    context.strNewId = argv[3];
    context.strDefStorePath = argv[4];
    context.knownDatabases = SplitNonEmpty(argv[5], ',');
    if (argc == 7) context.refusedNames = SplitNonEmpty(argv[6], ',');
    SqlTaskEditorValues values;
    bool ok = RunSqlTaskEditor(nullptr, context, &values);
    int known = static_cast<int>(context.knownDatabases.size());
    return Print(ok, ok ? BuildSqlTaskRecord(values, known) : std::string());
  }
  std::fprintf(stderr, "usage: editor_probe file RECORD|- STORE | sql RECORD|- ID STORE DBS [REFUSED]\n");
  return 2;
}
