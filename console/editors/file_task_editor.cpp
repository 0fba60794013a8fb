#include "console/editors/file_task_editor.h"

#include <vector>

#include "common/gbk.h"
#include "common/text.h"
#include "console/resource.h"

namespace dorvik {

const char kFileNamesHint[] = "不同文件之间用英文逗号隔开,例如：file,test.*";

namespace {

using Rule = ChoiceRule<FileTaskEditorValues>;

const std::vector<Rule>& Rules() {
  static const std::vector<Rule> kRules = {
      {IDC_FT_ALL_FILES, {}, {IDC_FT_BY_NAME, IDC_FT_NAMES, IDC_FT_INCLUDE, IDC_FT_EXCLUDE},
       {IDC_FT_SOME_FILES}, {}, [](FileTaskEditorValues* v) { v->strScope = "所有文件"; }, 0},
      {IDC_FT_SOME_FILES, {IDC_FT_BY_NAME}, {}, {IDC_FT_ALL_FILES}, {},
       [](FileTaskEditorValues* v) { v->strScope = "指定文件"; }, IDC_FT_BY_NAME},
      {IDC_FT_BY_NAME, {IDC_FT_NAMES, IDC_FT_INCLUDE, IDC_FT_EXCLUDE}, {}, {},
       {{IDC_FT_NAMES, kFileNamesHint}},
       [](FileTaskEditorValues* v) { v->strListKind = "指定文件名"; }, IDC_FT_INCLUDE},
      {IDC_FT_INCLUDE, {}, {}, {IDC_FT_EXCLUDE}, {},
       [](FileTaskEditorValues* v) { v->strDirection = "备份此文件"; }, 0},
      {IDC_FT_EXCLUDE, {}, {}, {IDC_FT_INCLUDE}, {},
       [](FileTaskEditorValues* v) { v->strDirection = "备份其它文件"; }, 0},
      {IDC_FT_ZIP_DIRECT, {}, {}, {IDC_FT_ZIP_AFTER, IDC_FT_ZIP_NONE}, {},
       [](FileTaskEditorValues* v) { v->nCompressMode = 1; }, 0},
      {IDC_FT_ZIP_AFTER, {}, {}, {IDC_FT_ZIP_DIRECT, IDC_FT_ZIP_NONE}, {},
       [](FileTaskEditorValues* v) { v->nCompressMode = 2; }, 0},
      {IDC_FT_ZIP_NONE, {}, {}, {IDC_FT_ZIP_DIRECT, IDC_FT_ZIP_AFTER}, {},
       [](FileTaskEditorValues* v) { v->nCompressMode = 3; }, 0},
      {IDC_FT_KEEP, {}, {IDC_FT_DAYS}, {IDC_FT_DELETE}, {},
       [](FileTaskEditorValues* v) { v->bKeep = true; }, 0},
      {IDC_FT_DELETE, {IDC_FT_DAYS}, {}, {IDC_FT_KEEP}, {{IDC_FT_DAYS, "30"}},
       [](FileTaskEditorValues* v) { v->bKeep = false; }, 0},
      {IDC_FT_DAILY, {}, {IDC_FT_WEEKDAY, IDC_FT_MONTHDAY}, {IDC_FT_WEEKLY, IDC_FT_MONTHLY}, {},
       [](FileTaskEditorValues* v) { v->strDayMode = "每天"; }, 0},
      {IDC_FT_WEEKLY, {IDC_FT_WEEKDAY}, {IDC_FT_MONTHDAY}, {IDC_FT_DAILY, IDC_FT_MONTHLY}, {},
       [](FileTaskEditorValues* v) { v->strDayMode = "每周"; }, 0},
      {IDC_FT_MONTHLY, {IDC_FT_MONTHDAY}, {IDC_FT_WEEKDAY}, {IDC_FT_DAILY, IDC_FT_WEEKLY}, {},
       [](FileTaskEditorValues* v) { v->strDayMode = "每月"; }, 0},
  };
  return kRules;
}

const int kEdits[] = {IDC_FT_SOURCE,   IDC_FT_STORE,    IDC_FT_NAMES, IDC_FT_DAYS,
                      IDC_FT_WEEKDAY, IDC_FT_MONTHDAY, IDC_FT_HOURS};

// The four filter parts, each read after the previous one's closing mark, so a '#' or '$'
// typed into the name list cannot be taken for a later mark.
std::vector<std::string> FilterParts(const std::string& filter) {
  static const char* const kMarks[][2] = {{"!", "/!"}, {"@", "/@"}, {"#", "/#"}, {"$", "/$"}};
  std::vector<std::string> parts;
  std::string::size_type from = 0;
  for (const auto& mark : kMarks) {
    std::string::size_type open = filter.find(mark[0], from);
    std::string::size_type close =
        open == std::string::npos ? open : filter.find(mark[1], open + 1);
    if (close == std::string::npos) {
      parts.emplace_back();
      continue;
    }
    parts.push_back(filter.substr(open + 1, close - open - 1));
    from = close + 2;
  }
  return parts;
}

bool InRange(long long value, long long low, long long high) { return value >= low && value <= high; }

}  // namespace

long long ParseFileTaskWeekday(const std::string& text) {
  static const struct {
    const char* name;
    int day;
  } kNames[] = {{"一", 1}, {"二", 2}, {"三", 3}, {"四", 4}, {"五", 5},
                {"六", 6}, {"七", 7}, {"天", 7}, {"日", 7}};
  std::string typed = TrimBoth(text);
  for (const auto& name : kNames) {
    if (typed == name.name) return name.day;
  }
  return LeadingNumber(text);
}

int CDropAlternation::NextEdit() {
  int edit = m_bNextIsSource ? IDC_FT_SOURCE : IDC_FT_STORE;
  m_bNextIsSource = !m_bNextIsSource;
  return edit;
}

CDropAlternation& CDropAlternation::ForConsoleRun() {
  static CDropAlternation alternation;
  return alternation;
}

EditorStart CFileTaskEditor::Start(const std::string& recordText, const std::string& defStorePath) {
  EditorStart start;
  for (int edit : kEdits) m_controls.SetText(edit, std::string());
  if (recordText.empty()) {
    StartNewTask(defStorePath);
    return start;
  }
  FileTaskRecord record = ReadFileTaskRecord(recordText);
  m_values.bNewTask = false;
  m_values.strCheck = record.m_strCheck;
  m_values.strID = record.m_strID;
  m_values.strSouPath = record.m_strSouPath;
  m_values.strDesPath = record.m_strDesPath;
  m_controls.SetText(IDC_FT_SOURCE, record.m_strSouPath);
  m_controls.SetText(IDC_FT_STORE, record.m_strDesPath);
  LoadFilter(record.m_strFile, &start);
  if (!LoadCompression(record.m_strIsCut, &start)) return start;
  m_values.strStatus = record.m_strStatus;
  LoadDayRule(record.m_strDate);
  m_values.strHours = record.m_strTime;
  m_controls.SetText(IDC_FT_HOURS, record.m_strTime);
  if (record.m_strIsSave == "保留") {
    Choose(IDC_FT_KEEP);
  } else if (Contains(record.m_strIsSave, "删除")) {
    Choose(IDC_FT_DELETE);
    std::string days = TextBetween(record.m_strIsSave, "删除", "天以前的");
    m_values.nDays = LeadingNumber(days);
    m_controls.SetText(IDC_FT_DAYS, days);
  }
  return start;
}

void CFileTaskEditor::StartNewTask(const std::string& defStorePath) {
  m_values = FileTaskEditorValues();
  m_values.strScope = "所有文件";
  m_values.strListKind = "指定文件";
  m_values.strDirection = "备份此类型";
  for (int radio : {IDC_FT_ALL_FILES, IDC_FT_ZIP_DIRECT, IDC_FT_KEEP, IDC_FT_DAILY}) Choose(radio);
  m_controls.SetText(IDC_FT_STORE, defStorePath);
  m_controls.SetText(IDC_FT_DAYS, "30");
  m_controls.SetText(IDC_FT_WEEKDAY, "1");
  m_controls.SetText(IDC_FT_MONTHDAY, "1");
  m_controls.SetText(IDC_FT_HOURS, "12");
}

void CFileTaskEditor::LoadFilter(const std::string& filter, EditorStart* start) {
  std::vector<std::string> parts = FilterParts(filter);
  const std::string& scope = parts[0];
  const std::string& kind = parts[1];
  const std::string& direction = parts[3];
  m_values.strScope = scope;
  m_values.strListKind = kind;
  m_values.strList = parts[2];
  m_values.strDirection = direction;
  if (scope == "所有文件") {
    Choose(IDC_FT_ALL_FILES);
    return;
  }
  if (scope == "指定文件") {
    Choose(IDC_FT_SOME_FILES);
  } else {
    start->messages.push_back("所有文件取内容有错");
  }
  if (kind == "指定类型") {
    if (direction != "备份此类型" && direction != "备份其它类型") {
      start->messages.push_back("取内容出错");
    }
  } else if (kind == "指定文件名") {
    Choose(IDC_FT_BY_NAME);
    m_controls.SetText(IDC_FT_NAMES, parts[2]);
    if (direction == "备份此文件") {
      Choose(IDC_FT_INCLUDE);
    } else if (direction == "备份其它文件") {
      Choose(IDC_FT_EXCLUDE);
    } else {
      start->messages.push_back("备份取内容出错");
    }
  } else {
    start->messages.push_back("指定文件名取内容有错");
  }
}

bool CFileTaskEditor::LoadCompression(const std::string& value, EditorStart* start) {
  if (value == "是") return Choose(IDC_FT_ZIP_DIRECT);
  if (value == "否") return Choose(IDC_FT_ZIP_NONE);
  if (value == "备份后压缩") return Choose(IDC_FT_ZIP_AFTER);
  start->messages.push_back("是否压缩取内容出错");
  start->bEndConsole = true;
  return false;
}

void CFileTaskEditor::LoadDayRule(const std::string& rule) {
  m_values.strDayMode = rule;
  if (rule == "每天") {
    Choose(IDC_FT_DAILY);
  } else if (Contains(rule, "每周")) {
    Choose(IDC_FT_WEEKLY);
    m_values.nWeekday = static_cast<int>(LeadingNumber(ReverseChars(rule)));
    m_controls.SetText(IDC_FT_WEEKDAY, std::to_string(m_values.nWeekday));
  } else if (Contains(rule, "每月")) {
    Choose(IDC_FT_MONTHLY);
    m_values.strMonthDayText = TextBetween(rule, "月", "号");
    m_controls.SetText(IDC_FT_MONTHDAY, m_values.strMonthDayText);
  } else {
    // A yearly date: kept as it is, so neither day edit means anything.
    m_controls.Enable(IDC_FT_WEEKDAY, false);
    m_controls.Enable(IDC_FT_MONTHDAY, false);
  }
}

bool CFileTaskEditor::Choose(int radio) { return ApplyChoice(Rules(), radio, &m_controls, &m_values); }

void CFileTaskEditor::FocusNames() {
  if (Contains(m_controls.Text(IDC_FT_NAMES), "间用英文逗号隔开")) {
    m_controls.SetText(IDC_FT_NAMES, std::string());
  }
}

std::string* CFileTaskEditor::FolderState(int edit) {
  if (edit == IDC_FT_SOURCE) return &m_values.strSouPath;
  if (edit == IDC_FT_STORE) return &m_values.strDesPath;
  return nullptr;
}

void CFileTaskEditor::NoteFolderText(int edit) {
  if (std::string* state = FolderState(edit)) *state = m_controls.Text(edit);
}

void CFileTaskEditor::SetFolder(int edit, const std::string& folder) {
  if (std::string* state = FolderState(edit)) *state = folder;
  m_controls.SetText(edit, folder);
}

std::string CFileTaskEditor::Confirm(const PathExists& pathExists) {
  std::string source = TrimRight(m_controls.Text(IDC_FT_SOURCE));
  if (!pathExists(source)) {
    m_controls.SetText(IDC_FT_SOURCE, m_values.strSouPath);
    return "源路径不存在";
  }
  m_values.strSouPath = source;
  std::string store = TrimRight(m_controls.Text(IDC_FT_STORE));
  if (!pathExists(store)) {
    m_controls.SetText(IDC_FT_STORE, m_values.strDesPath);
    return "存储路径不存在";
  }
  m_values.strDesPath = store;

  if (m_values.strListKind != "指定类型") m_values.strList = m_controls.Text(IDC_FT_NAMES);
  const std::string days = m_controls.Text(IDC_FT_DAYS);
  const std::string monthDay = m_controls.Text(IDC_FT_MONTHDAY);
  const std::string hours = m_controls.Text(IDC_FT_HOURS);
  m_values.nDays = LeadingNumber(days);
  m_values.strMonthDayText = monthDay;
  m_values.strHours = hours;

  if (m_values.strSouPath.empty()) return "源路径不能为空";
  if (m_values.strDesPath.empty()) return "存储路径不能为空";
  if (m_controls.IsChecked(IDC_FT_WEEKLY)) {
    long long weekday = ParseFileTaskWeekday(m_controls.Text(IDC_FT_WEEKDAY));
    if (!InRange(weekday, 1, 7)) return "星期输入有误";
    m_values.nWeekday = static_cast<int>(weekday);
  }
  if (m_controls.IsChecked(IDC_FT_MONTHLY) &&
      (monthDay.empty() || !InRange(LeadingNumber(monthDay), 0, 31))) {
    return "日期输入错误";
  }
  if (m_controls.IsChecked(IDC_FT_DELETE) && (days.empty() || !InRange(m_values.nDays, 0, 10000))) {
    return "保存天数输入错误";
  }
  if (hours.empty() || !InRange(LeadingNumber(hours), 0, 24)) return "备份时间出错";
  if (Contains(m_values.strScope, "指定文件") && Contains(m_values.strListKind, "指定文件名") &&
      Contains(m_values.strDirection, "文件") &&
      (m_values.strList.empty() || Contains(m_values.strList, "不同"))) {
    return "文件名填写出错";
  }
  std::vector<std::string> stored = {m_values.strSouPath, m_values.strDesPath, m_values.strList,
                                     m_values.strHours};
  if (m_values.strDayMode == "每月") stored.push_back(m_values.strMonthDayText);
  return UnsafeValuesMessage(stored);
}

}  // namespace dorvik
