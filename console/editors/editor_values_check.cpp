#include "console/editors/editor_values_check.h"

#include <initializer_list>

#include "common/gbk.h"
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

std::string FirstUnspellableFolder(std::initializer_list<const std::string*> folders) {
  for (const std::string* folder : folders) {
    if (FindFirstChar(*folder, '?') != std::string::npos) {
      return "文件夹“" + *folder + "”的名称含有简体中文代码页（GBK）无法表示的字符（显示为“?”），"
             "不能作为源目录或存储目录。请将该文件夹改为中文或英文名称，或选择其他文件夹。";
    }
  }
  return std::string();
}

}  // namespace

std::string UnsafeFileTaskValues(const FileTaskEditorValues& v) {
  const std::string unsafe = FirstUnsafe({&v.strSouPath, &v.strDesPath, &v.strScope, &v.strListKind,
                                          &v.strList, &v.strDirection, &v.strDayMode,
                                          &v.strMonthDayText, &v.strHours});
  return unsafe.empty() ? FirstUnspellableFolder({&v.strSouPath, &v.strDesPath}) : unsafe;
}

std::string UnsafeSqlTaskValues(const SqlTaskEditorValues& v) {
  const std::string unsafe = FirstUnsafe({&v.strSqlName, &v.strStoreText, &v.strIsCut, &v.strDate,
                                          &v.strTime, &v.strProjectName, &v.strIsSave});
  return unsafe.empty() ? FirstUnspellableFolder({&v.strStoreText}) : unsafe;
}

}  // namespace dorvik
