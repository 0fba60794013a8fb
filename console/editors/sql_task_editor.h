#pragma once
// The SQL Server task editor's decisions: its state, how a record fills the controls and the two
// database lists, the rule of each choice, and the checks on OK.
#include <cstddef>
#include <string>
#include <vector>

#include "config/sql_task_record.h"
#include "console/editors/control_model.h"
#include "console/editors/editor_text.h"

namespace dorvik {

struct SqlTaskEditorContext {
  bool bChange = false;                    // an existing task is being changed
  std::string strRecordText;               // the record being changed
  std::string strNewId;                    // identifier of a new task, in decimal
  std::string strDefStorePath;             // offered as the storage folder of a new task
  std::vector<std::string> knownDatabases; // the server's databases but master and tempdb, in name order
  std::vector<std::string> refusedNames;   // task names the editor refuses
};

// The available and the chosen databases, top to bottom as the two lists show them.
class CDatabaseLists {
 public:
  // Every known database but master and tempdb, each put on top, then the all-databases entry.
  void Fill(const std::vector<std::string>& knownDatabases);
  // A loaded task's names: each put on top of the chosen list and taken out of the available one.
  void ChooseNames(const std::vector<std::string>& names);
  // "添加 =>" with these rows of the available list selected.
  void Add(const std::vector<std::size_t>& selectedRows);
  // "<= 删除" with these rows of the chosen list selected.
  void Remove(const std::vector<std::size_t>& selectedRows);
  // "全选": everything back, then the all-databases entry chosen.
  void SelectAll();

  const std::vector<std::string>& Available() const { return m_available; }
  const std::vector<std::string>& Chosen() const { return m_chosen; }

 private:
  std::vector<std::string> m_known;
  std::vector<std::string> m_available;
  std::vector<std::string> m_chosen;
};

struct SqlTaskEditorState {
  SqlTaskEditorValues values;
  std::string strDayMode;   // "每天", "每周", "每月", or a yearly rule carried from the record
  std::string strKeepMode;  // "保留" or "删除"
};

class CSqlTaskEditor {
 public:
  EditorStart Start(const SqlTaskEditorContext& context);

  // A click on a radio of the dialog; false for any other control.
  bool Choose(int radio);
  // A folder from the browser, or a dropped name.
  void SetFolder(const std::string& folder);

  // The checks on OK, in order. Empty when the dialog may close; otherwise the message to show.
  std::string Confirm(const PathExists& pathExists);

  CControlModel& Controls() { return m_controls; }
  CDatabaseLists& Lists() { return m_lists; }
  const SqlTaskEditorValues& Values() const { return m_state.values; }

 private:
  bool LoadDayRule(const std::string& rule, EditorStart* start);
  std::string ConfirmDayRule();
  std::string ConfirmRetention();
  std::string ConfirmName();

  CControlModel m_controls;
  CDatabaseLists m_lists;
  SqlTaskEditorState m_state;
  std::string m_strNewId;
  std::vector<std::string> m_refusedNames;
};

}  // namespace dorvik
