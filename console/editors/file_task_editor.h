#pragma once
// The file task editor's decisions: its state, how a record fills the controls, the rule of each
// choice, and the checks on OK. The dialog only moves texts and clicks between windows and here.
#include <string>

#include "config/file_task_record.h"
#include "console/editors/control_model.h"
#include "console/editors/editor_text.h"

namespace dorvik {

extern const char kFileNamesHint[];  // shown in the name list until names are typed

// The leading weekday typed for a weekly task: "1".."7", "一".."六", "七"/"天"/"日", otherwise the
// leading number. Out of range values come back as they are (the caller refuses them).
long long ParseFileTaskWeekday(const std::string& text);

// Dropped names go alternately into the source and the storage edit; one alternation lasts the
// whole console run, across drops and dialogs.
class CDropAlternation {
 public:
  int NextEdit();  // the control id of the edit the next dropped name goes into
  static CDropAlternation& ForConsoleRun();

 private:
  bool m_bNextIsSource = true;
};

class CFileTaskEditor {
 public:
  // `recordText` empty: a new task, whose storage folder starts as `defStorePath`.
  EditorStart Start(const std::string& recordText, const std::string& defStorePath);

  // A click on a radio of the dialog; false for any other control.
  bool Choose(int radio);
  // The name list gets the focus: the hint gives way to typing.
  void FocusNames();
  // Before the folder browser opens on `edit`: its text becomes the folder state.
  void NoteFolderText(int edit);
  void SetFolder(int edit, const std::string& folder);

  // The checks on OK, in order. Empty when the dialog may close; otherwise the message to show.
  std::string Confirm(const PathExists& pathExists);

  CControlModel& Controls() { return m_controls; }
  const FileTaskEditorValues& Values() const { return m_values; }

 private:
  void StartNewTask(const std::string& defStorePath);
  void LoadFilter(const std::string& filter, EditorStart* start);
  bool LoadCompression(const std::string& value, EditorStart* start);
  void LoadDayRule(const std::string& rule);
  std::string* FolderState(int edit);

  CControlModel m_controls;
  FileTaskEditorValues m_values;
};

}  // namespace dorvik
