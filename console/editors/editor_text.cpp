#include "console/editors/editor_text.h"

#include "common/gbk.h"
#include "config/record_text_check.h"

namespace dorvik {

const char kNoFolderToOpen[] = "没有输入路径或者路径不存在";

namespace {

// A plain find could match the trail byte of one character and the lead byte of the next.
std::string::size_type FindAtCharStart(const std::string& text, const std::string& part,
                                       std::string::size_type from) {
  for (std::string::size_type i = 0; i < text.size();) {
    if (i >= from && text.compare(i, part.size(), part) == 0) return i;
    i += (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
  }
  return std::string::npos;
}

}  // namespace

std::string TextBetween(const std::string& text, const std::string& open, const std::string& close) {
  std::string::size_type begin = FindAtCharStart(text, open, 0);
  if (begin == std::string::npos) return std::string();
  begin += open.size();
  std::string::size_type end = FindAtCharStart(text, close, begin);
  if (end == std::string::npos) return std::string();
  return text.substr(begin, end - begin);
}

std::string LastChar(const std::string& text) {
  std::string reversed = ReverseChars(text);
  if (reversed.empty()) return std::string();
  std::string::size_type n = IsGbkLeadByte(static_cast<unsigned char>(reversed[0])) ? 2 : 1;
  return ReverseChars(reversed.substr(0, n));
}

std::string UnsafeValuesMessage(const std::vector<std::string>& values) {
  for (const std::string& value : values) {
    std::string found = FindUnsafeRecordText(value);
    if (!found.empty()) return UnsafeRecordTextMessage(found);
  }
  return std::string();
}

}  // namespace dorvik
