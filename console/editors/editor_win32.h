#pragma once
// The Windows side the two task editors share: showing the control model, message boxes, the
// folder browser, opening a folder, dropped names.
#include <string>
#include <vector>

#include "common/win32.h"

#include <shellapi.h>
#include <shlobj.h>

#include "console/dialogs/dialog.h"
#include "console/editors/control_model.h"
#include "console/editors/editor_text.h"

namespace dorvik {

// Typed texts of every edit the model knows go into the model.
void PullEditTexts(HWND dialog, CControlModel* model);
// The model's texts, enabled and checked states onto the controls. An edit whose text is already
// the model's is left alone, so its caret stays where the user put it.
void PushControlModel(HWND dialog, const CControlModel& model);

void ShowEditorMessage(HWND owner, const std::string& text);
// Shows what opening a record found; ends the console (exit code 0) when the record cannot be
// edited at all.
void ReportEditorStart(HWND owner, const EditorStart& start);

// The shell's folder browser, opened at `startFolder`; `showStatus` names the folder under the
// cursor as status text. False when the user cancelled.
bool BrowseForFolder(HWND owner, const std::string& startFolder, bool showStatus,
                     std::string* chosen);

// The same browser with its title, BIF_* flags and, unless it is null, a root folder; the
// status text follows the selection when the flags ask for one.
struct ShellBrowse {
  const char* title;
  UINT flags;
  PCIDLIST_ABSOLUTE root;
};
bool BrowseShell(HWND owner, const ShellBrowse& how, const std::string& startFolder,
                 std::string* chosen);
// "打开": the typed folder with the shell's default action, or a message when there is none.
void OpenTypedFolder(HWND owner, const std::string& folder);

// The names of a drop, in order. Releases the drop. On a failed allocation shows the message and
// returns the names read so far.
std::vector<std::string> TakeDroppedNames(HWND owner, HDROP drop);

}  // namespace dorvik
