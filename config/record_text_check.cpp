#include "config/record_text_check.h"

#include "config/document.h"

namespace dorvik {

std::string FindUnsafeRecordText(const std::string& value) {
  // The splitter searches "|||" byte by byte, so a GBK trail byte 0x7C counts here too.
  if (value.find(kRecordSeparator) != std::string::npos) return kRecordSeparator;
  // '<' and '>' are below 0x40 and never GBK trail bytes.
  std::string::size_type pos = value.find_first_of("<>");
  if (pos != std::string::npos) return value.substr(pos, 1);
  return std::string();
}

std::string UnsafeRecordTextMessage(const std::string& found) {
  return "输入的内容不能包含“" + found + "”，请修改后再确定。";
}

}  // namespace dorvik
