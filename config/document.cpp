#include "config/document.h"

namespace dorvik {

std::string GetTagValue(const std::string& text, const std::string& openTag,
                        const std::string& closeTag) {
  if (text.empty() || openTag.empty() || closeTag.empty()) return std::string();
  std::string::size_type open = text.find(openTag);
  std::string::size_type close = text.find(closeTag);
  if (open == std::string::npos || close == std::string::npos) return std::string();
  std::string::size_type begin = open + openTag.size();
  if (close < begin) return std::string();
  return text.substr(begin, close - begin);
}

std::string GetTag(const std::string& text, const std::string& name) {
  return GetTagValue(text, "<" + name + ">", "</" + name + ">");
}

std::string Tagged(const std::string& name, const std::string& value) {
  return "<" + name + ">" + value + "</" + name + ">";
}

std::vector<std::string> SplitRecords(const std::string& section, const std::string& document) {
  const std::string wrapped = Tagged(section, GetTag(document, section));
  const std::string separator = kRecordSeparator;
  std::vector<std::string> kept;
  std::string::size_type start = 0;
  for (;;) {
    std::string::size_type pos = wrapped.find(separator, start);
    std::string piece = wrapped.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
    if (piece.size() >= 3) kept.push_back(piece);
    if (pos == std::string::npos) break;
    start = pos + separator.size();
  }
  // The first and last kept pieces are the wrapping tags with whatever stood beside them.
  if (kept.size() <= 2) return {};
  return std::vector<std::string>(kept.begin() + 1, kept.end() - 1);
}

bool SetTag(std::string* text, const std::string& name, const std::string& value) {
  const std::string openTag = "<" + name + ">";
  std::string::size_type open = text->find(openTag);
  std::string::size_type close = text->find("</" + name + ">");
  if (open == std::string::npos || close == std::string::npos) return false;
  std::string::size_type begin = open + openTag.size();
  if (close < begin) return false;
  text->replace(begin, close - begin, value);
  return true;
}

std::string JoinRecordFields(const std::vector<std::pair<const char*, std::string>>& fields) {
  std::string text;
  for (const auto& field : fields) {
    if (!text.empty()) text += "    ";
    text += Tagged(field.first, field.second);
  }
  return text;
}

std::string DefaultConfigDocument(const std::string& rarPath) {
  return "<rarpath>" + rarPath +
         "</rarpath><defStorePath></defStorePath><FileBackups>|||</FileBackups>"
         "<SqlBackups>|||</SqlBackups>";
}

ConfigDamage FindConfigDamage(const std::string& document) {
  auto has = [&document](const char* tag) { return document.find(tag) != std::string::npos; };
  if (!has("<rarpath>") || !has("</rarpath>")) return ConfigDamage::RarPath;
  if (!has("<FileBackups>") || !has("</FileBackups>")) return ConfigDamage::FileBackups;
  if (!has("<SqlBackups>") || !has("</SqlBackups>")) return ConfigDamage::SqlBackups;
  return ConfigDamage::None;
}

}  // namespace dorvik
