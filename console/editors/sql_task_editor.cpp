#include "console/editors/sql_task_editor.h"

#include <algorithm>

#include "common/gbk.h"
#include "common/text.h"
#include "config/project_name.h"
#include "console/resource.h"

namespace dorvik {

namespace {

using Rule = ChoiceRule<SqlTaskEditorState>;

const std::vector<Rule>& Rules() {
  static const std::vector<Rule> kRules = {
      {IDC_ST_DAILY, {}, {IDC_ST_WEEKDAY, IDC_ST_MONTHDAY}, {IDC_ST_WEEKLY, IDC_ST_MONTHLY}, {},
       [](SqlTaskEditorState* s) { s->strDayMode = "每天"; }, 0},
      {IDC_ST_WEEKLY, {IDC_ST_WEEKDAY}, {IDC_ST_MONTHDAY}, {IDC_ST_DAILY, IDC_ST_MONTHLY},
       {{IDC_ST_WEEKDAY, ""}}, [](SqlTaskEditorState* s) { s->strDayMode = "每周"; }, 0},
      {IDC_ST_MONTHLY, {IDC_ST_MONTHDAY}, {IDC_ST_WEEKDAY}, {IDC_ST_DAILY, IDC_ST_WEEKLY},
       {{IDC_ST_MONTHDAY, ""}}, [](SqlTaskEditorState* s) { s->strDayMode = "每月"; }, 0},
      {IDC_ST_ZIP_YES, {}, {}, {IDC_ST_ZIP_NO}, {},
       [](SqlTaskEditorState* s) { s->values.strIsCut = "是"; }, 0},
      {IDC_ST_ZIP_NO, {}, {}, {IDC_ST_ZIP_YES}, {},
       [](SqlTaskEditorState* s) { s->values.strIsCut = "否"; }, 0},
      {IDC_ST_KEEP, {}, {IDC_ST_DAYS}, {IDC_ST_DELETE}, {},
       [](SqlTaskEditorState* s) { s->strKeepMode = "保留"; }, 0},
      {IDC_ST_DELETE, {IDC_ST_DAYS}, {}, {IDC_ST_KEEP}, {{IDC_ST_DAYS, "30"}},
       [](SqlTaskEditorState* s) { s->strKeepMode = "删除"; }, 0},
  };
  return kRules;
}

const int kEdits[] = {IDC_ST_NAME,     IDC_ST_STORE, IDC_ST_WEEKDAY,
                      IDC_ST_MONTHDAY, IDC_ST_HOURS, IDC_ST_DAYS};

bool InRange(long long value, long long low, long long high) { return value >= low && value <= high; }

void PutOnTop(std::vector<std::string>* list, const std::string& name) {
  list->insert(list->begin(), name);
}

void EraseFirst(std::vector<std::string>* list, const std::string& name) {
  auto it = std::find(list->begin(), list->end(), name);
  if (it != list->end()) list->erase(it);
}

// The named rows, top to bottom, taken out of `list`.
std::vector<std::string> TakeRows(std::vector<std::string>* list, std::vector<std::size_t> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::vector<std::string> taken;
  for (std::size_t row : rows) {
    if (row < list->size()) taken.push_back((*list)[row]);
  }
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (*it < list->size()) list->erase(list->begin() + static_cast<std::ptrdiff_t>(*it));
  }
  return taken;
}

// The characters a task name may not hold; '\\' and '|' can be GBK trail bytes, so each is
// looked for as a character of its own.
bool HasIllegalNameChar(const std::string& name) {
  for (char ch : std::string(":?\"\\/|*<>")) {
    if (FindFirstChar(name, ch) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

void CDatabaseLists::Fill(const std::vector<std::string>& knownDatabases) {
  m_known.clear();
  for (const std::string& name : knownDatabases) {
    if (name != "tempdb" && name != "master") m_known.push_back(name);
  }
  m_available.assign(m_known.rbegin(), m_known.rend());
  PutOnTop(&m_available, kAllDatabases);
  m_chosen.clear();
}

void CDatabaseLists::ChooseNames(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    PutOnTop(&m_chosen, name);
    EraseFirst(&m_available, name);
  }
}

void CDatabaseLists::Add(const std::vector<std::size_t>& selectedRows) {
  if (!m_chosen.empty() && m_chosen.front() == kAllDatabases) return;
  std::vector<std::string> moved = TakeRows(&m_available, selectedRows);
  if (std::find(moved.begin(), moved.end(), kAllDatabases) != moved.end()) {
    m_available.assign(m_known.rbegin(), m_known.rend());
    m_chosen.assign(1, kAllDatabases);
    return;
  }
  for (const std::string& name : moved) PutOnTop(&m_chosen, name);
}

void CDatabaseLists::Remove(const std::vector<std::size_t>& selectedRows) {
  for (const std::string& name : TakeRows(&m_chosen, selectedRows)) PutOnTop(&m_available, name);
}

void CDatabaseLists::SelectAll() {
  for (auto it = m_chosen.rbegin(); it != m_chosen.rend(); ++it) PutOnTop(&m_available, *it);
  m_chosen.clear();
  auto all = std::remove(m_available.begin(), m_available.end(), kAllDatabases);
  m_chosen.assign(static_cast<std::size_t>(m_available.end() - all), kAllDatabases);
  m_available.erase(all, m_available.end());
}

EditorStart CSqlTaskEditor::Start(const SqlTaskEditorContext& context) {
  EditorStart start;
  m_strNewId = context.strNewId;
  m_refusedNames = context.refusedNames;
  m_state = SqlTaskEditorState();
  for (int edit : kEdits) m_controls.SetText(edit, std::string());
  m_lists.Fill(context.knownDatabases);
  SqlTaskEditorValues& values = m_state.values;
  if (!context.bChange) {
    for (int radio : {IDC_ST_DAILY, IDC_ST_ZIP_YES, IDC_ST_DELETE}) Choose(radio);
    m_controls.SetText(IDC_ST_HOURS, "12");
    m_controls.SetText(IDC_ST_STORE, context.strDefStorePath);
    return start;
  }
  SqlTaskRecord record = ReadSqlTaskRecord(context.strRecordText);
  values.bNewTask = false;
  values.strStatus = record.m_strStatus;
  values.strID = record.m_strID;
  m_controls.SetText(IDC_ST_NAME, record.m_strProjectName);
  m_lists.ChooseNames(SplitNonEmpty(record.m_strSqlName, ','));
  values.strStoreText = record.m_strDesPath;
  m_controls.SetText(IDC_ST_STORE, record.m_strDesPath);
  if (!LoadDayRule(record.m_strDate, &start)) return start;
  m_controls.SetText(IDC_ST_HOURS, record.m_strTime);
  Choose(record.m_strIsCut == "是" ? IDC_ST_ZIP_YES : IDC_ST_ZIP_NO);
  if (record.m_strIsSave == "保留") {
    Choose(IDC_ST_KEEP);
  } else {
    Choose(IDC_ST_DELETE);
    std::string days = record.m_strIsSave;
    if (StartsWith(days, "删除")) days.erase(0, std::string("删除").size());
    m_controls.SetText(IDC_ST_DAYS, std::to_string(LeadingNumber(days)));
  }
  return start;
}

bool CSqlTaskEditor::LoadDayRule(const std::string& rule, EditorStart* start) {
  if (Contains(rule, "每天")) {
    Choose(IDC_ST_DAILY);
  } else if (Contains(rule, "每周")) {
    Choose(IDC_ST_WEEKLY);
    m_controls.SetText(IDC_ST_WEEKDAY, LastChar(rule));
  } else if (Contains(rule, "每月")) {
    Choose(IDC_ST_MONTHLY);
    m_controls.SetText(IDC_ST_MONTHDAY, TextBetween(rule, "每月", "号"));
  } else if (Contains(rule, "指定日期")) {
    // A yearly rule this editor cannot make: carried through unchanged.
    m_state.strDayMode = rule;
    m_controls.Enable(IDC_ST_WEEKDAY, false);
    m_controls.Enable(IDC_ST_MONTHDAY, false);
  } else {
    start->messages = {rule, "sql备份日期出错"};
    start->bEndConsole = true;
    return false;
  }
  return true;
}

bool CSqlTaskEditor::Choose(int radio) { return ApplyChoice(Rules(), radio, &m_controls, &m_state); }

void CSqlTaskEditor::SetFolder(const std::string& folder) {
  m_controls.SetText(IDC_ST_STORE, folder);
  m_state.values.strStoreText = folder;
}

std::string CSqlTaskEditor::Confirm(const PathExists& pathExists) {
  SqlTaskEditorValues& values = m_state.values;
  const std::string storePath = TrimBoth(m_controls.Text(IDC_ST_STORE));
  const std::vector<std::string>& chosen = m_lists.Chosen();
  if (chosen.empty()) return "你没有任何选择一个数据库。";
  values.nSelectedCount = static_cast<int>(chosen.size());
  if (!pathExists(storePath)) return "存储路径不存在";
  std::string names;
  for (const std::string& name : chosen) names += (names.empty() ? "" : ",") + name;
  values.strSqlName = Contains(names, kAllDatabases) ? std::string(kAllDatabases) : names;
  std::string failure = ConfirmDayRule();
  if (!failure.empty()) return failure;
  values.strTime = m_controls.Text(IDC_ST_HOURS);
  if (!InRange(LeadingNumber(values.strTime), 0, 24)) return "备份时间输入有误";
  values.strStoreText = m_controls.Text(IDC_ST_STORE);
  failure = ConfirmRetention();
  if (failure.empty()) failure = ConfirmName();
  if (failure.empty()) {
    failure = UnsafeValuesMessage({values.strStoreText, values.strDate, values.strTime,
                                   values.strIsSave});
  }
  if (!failure.empty()) return failure;
  if (values.bNewTask) values.strID = m_strNewId;
  return std::string();
}

std::string CSqlTaskEditor::ConfirmDayRule() {
  const std::string& mode = m_state.strDayMode;
  std::string& date = m_state.values.strDate;
  if (mode == "每天") {
    date = "每天";
  } else if (mode == "每周") {
    std::string weekday = m_controls.Text(IDC_ST_WEEKDAY);
    if (!InRange(LeadingNumber(weekday), 1, 7)) return "星期输入有误";
    date = "每周星期" + weekday;
  } else if (mode == "每月") {
    std::string monthDay = m_controls.Text(IDC_ST_MONTHDAY);
    if (!InRange(LeadingNumber(monthDay), 1, 31)) return "月号输入有误";
    date = "每月" + monthDay + "号";
  } else if (Contains(mode, "指定日期")) {
    date = mode;
  } else {
    return "备份日期出错了";
  }
  return std::string();
}

std::string CSqlTaskEditor::ConfirmRetention() {
  std::string& keep = m_state.values.strIsSave;
  if (m_state.strKeepMode == "保留") {
    keep = "保留";
    return std::string();
  }
  std::string days = m_controls.Text(IDC_ST_DAYS);
  long long count = LeadingNumber(days);
  if (count <= 0) return "删除天数输入有误";
  if (count > 100000) return "输入天数过大";
  keep = "删除" + days + "天以前的";
  return std::string();
}

std::string CSqlTaskEditor::ConfirmName() {
  std::string typed = m_controls.Text(IDC_ST_NAME);
  if (typed.empty() || HasIllegalNameChar(typed)) {
    return "没有填入任何一个任务名称.或者包含<>?\"\\/*:|等非法字符";
  }
  std::string name = TrimRight(typed);
  if (!IsPlainProjectName(name)) {
    return "任务名称不能用作文件夹名：不能是“.”或“..”，不能以“.”或空格结尾，也不能是CON、NUL等设备名";
  }
  // Compared as the folder they become: without trailing blanks (as stored) and regardless of
  // case, so "a " or "A" cannot become a second task writing into the folder of "a".
  for (const std::string& refused : m_refusedNames) {
    if (AsciiLower(TrimRight(refused)) == AsciiLower(name)) return "该任务名称已经存在！";
  }
  m_state.values.strProjectName = name;
  return std::string();
}

}  // namespace dorvik
