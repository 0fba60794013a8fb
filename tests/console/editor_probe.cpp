// Opens one task editor the way the console does and prints the record OK would write, or
// "CANCEL". Used to look at and drive the real dialogs under Wine.
//   editor_probe file RECORD_FILE|- DEFAULT_STORE
//   editor_probe sql RECORD_FILE|- NEW_ID DEFAULT_STORE DB1,DB2,... [REFUSED1,REFUSED2,...]
// RECORD_FILE holds a record in GBK; "-" opens the editor for a new task.
// With EDITOR_PROBE_DROPS="A,B;C" set, each ';' group is dropped onto the editor as one drop
// once it shows, and then OK is pressed: the real drag-and-drop path, without a mouse.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "common/text.h"
#include "console/editors/file_task_dlg.h"
#include "console/editors/sql_task_dlg.h"
#include "console/resource.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

std::string ReadRecord(const std::string& path) {
  if (path == "-") return std::string();
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char type[16] = "";
  GetClassNameA(window, type, sizeof(type));
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) || std::strcmp(type, "#32770")) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// An HDROP as the shell hands it over: DROPFILES, then the names, each ended by a zero, and one
// more zero. The dialog frees it with DragFinish.
HDROP MakeDrop(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  list += '\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
  if (!memory) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

void DropThenConfirm(const std::string& drops, int okId) {
  HWND dialog = nullptr;
  for (int tries = 0; !dialog && tries < 600; ++tries) {
    Sleep(50);
    EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&dialog));
  }
  if (!dialog) return;
  for (const std::string& drop : dorvik::SplitNonEmpty(drops, ';')) {
    if (HDROP names = MakeDrop(dorvik::SplitNonEmpty(drop, ','))) {
      SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(names), 0);
    }
  }
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(okId, BN_CLICKED), 0);
}

void StartDrops(int okId) {
  if (const char* drops = std::getenv("EDITOR_PROBE_DROPS")) {
    std::thread(DropThenConfirm, std::string(drops), okId).detach();
  }
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
    StartDrops(IDC_FT_OK);
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
    StartDrops(IDC_ST_OK);
    bool ok = RunSqlTaskEditor(nullptr, context, &values);
    int known = static_cast<int>(context.knownDatabases.size());
    return Print(ok, ok ? BuildSqlTaskRecord(values, known) : std::string());
  }
  std::fprintf(stderr, "usage: editor_probe file RECORD|- STORE | sql RECORD|- ID STORE DBS [REFUSED]\n");
  return 2;
}
