#include "console/editor_values_check.h"

#include <initializer_list>

#include "config/record_text_check.h"

namespace dorvik {

namespace {

std::string FirstUnsafe(std::initializer_list<const std::string*> values) {
  for (const std::string* value : values) {
    std::string found = FindUnsafeRecordText(*value);
    if (!found.empty()) return UnsafeRecordTextMessage(found);
  }
  return std::string();
}

}  // namespace

std::string UnsafeFileTaskValues(const FileTaskEditorValues& v) {
  return FirstUnsafe({&v.strSouPath, &v.strDesPath, &v.strScope, &v.strListKind, &v.strList,
                      &v.strDirection, &v.strDayMode, &v.strMonthDayText, &v.strHours});
}

std::string UnsafeSqlTaskValues(const SqlTaskEditorValues& v) {
  return FirstUnsafe({&v.strSqlName, &v.strStoreText, &v.strIsCut, &v.strDate, &v.strTime,
                      &v.strProjectName, &v.strIsSave});
}

}  // namespace dorvik
