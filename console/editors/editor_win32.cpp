#include "console/editors/editor_win32.h"

#include <new>

#include <shellapi.h>
#include <shlobj.h>

#include "common/file_system.h"
#include "console/dialogs/message_box.h"
#include "console/dialogs/shell_open.h"

namespace dorvik {

namespace {

struct BrowseStart {
  const std::string* folder;
  bool bShowStatus;
};

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
  const BrowseStart* start = reinterpret_cast<const BrowseStart*>(data);
  if (message == BFFM_INITIALIZED && !start->folder->empty()) {
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE,
                 reinterpret_cast<LPARAM>(start->folder->c_str()));
  } else if (message == BFFM_SELCHANGED && start->bShowStatus) {
    char path[MAX_PATH] = "";
    // A virtual folder has no path: the status text is then cleared.
    SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path);
    SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
  }
  return 0;
}

}  // namespace

void PullEditTexts(HWND dialog, CControlModel* model) {
  for (const auto& entry : model->Texts()) {
    if (HWND edit = GetDlgItem(dialog, entry.first)) model->SetText(entry.first, WindowText(edit));
  }
}

void PushControlModel(HWND dialog, const CControlModel& model) {
  for (const auto& entry : model.Texts()) {
    HWND edit = GetDlgItem(dialog, entry.first);
    if (edit && WindowText(edit) != entry.second) SetWindowTextA(edit, entry.second.c_str());
  }
  for (const auto& entry : model.EnabledStates()) {
    if (HWND control = GetDlgItem(dialog, entry.first)) EnableWindow(control, entry.second);
  }
  for (const auto& entry : model.CheckedStates()) {
    CheckDlgButton(dialog, entry.first, entry.second ? BST_CHECKED : BST_UNCHECKED);
  }
}

void ShowEditorMessage(HWND owner, const std::string& text) {
  ShowMessageBox(owner, text);
}

void ReportEditorStart(HWND owner, const EditorStart& start) {
  for (const std::string& message : start.messages) ShowEditorMessage(owner, message);
  if (start.bEndConsole) ExitProcess(0);
}

bool BrowseForFolder(HWND owner, const std::string& startFolder, bool showStatus,
                     std::string* chosen) {
  const ShellBrowse how{"请选择文件夹",
                        BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS | (showStatus ? BIF_STATUSTEXT : 0u),
                        nullptr};
  return BrowseShell(owner, how, startFolder, chosen);
}

bool BrowseShell(HWND owner, const ShellBrowse& how, const std::string& startFolder,
                 std::string* chosen) {
  // The new dialog style hosts shell views that need OLE on this thread.
  HRESULT ole = OleInitialize(nullptr);
  BrowseStart start{&startFolder, (how.flags & BIF_STATUSTEXT) != 0};
  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.pidlRoot = how.root;
  info.lpszTitle = how.title;
  info.ulFlags = how.flags;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(&start);
  bool picked = false;
  if (PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info)) {
    char path[MAX_PATH] = "";
    picked = SHGetPathFromIDListA(item, path) != FALSE;
    if (picked) *chosen = path;
    CoTaskMemFree(item);
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return picked;
}

void OpenTypedFolder(HWND owner, const std::string& folder) {
  if (!PathExistsOnDisk(folder)) {
    ShowEditorMessage(owner, kNoFolderToOpen);
    return;
  }
  OpenWithShell(owner, "open", folder, SW_SHOWNORMAL);
}

std::vector<std::string> TakeDroppedNames(HWND owner, HDROP drop) {
  std::vector<std::string> names;
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileA(drop, i, nullptr, 0);
    try {
      std::string name(length + 1, '\0');
      UINT copied = DragQueryFileA(drop, i, &name[0], length + 1);
      name.resize(copied);
      names.push_back(name);
    } catch (const std::bad_alloc&) {
      ShowEditorMessage(owner, "给文件名分配暂存空间时出错!");
      break;
    }
  }
  DragFinish(drop);
  return names;
}

}  // namespace dorvik
