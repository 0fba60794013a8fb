#include "common/text.h"

#include <climits>

namespace dorvik {

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  std::string out;
  std::string::size_type start = 0;
  for (std::string::size_type pos; (pos = text.find(from, start)) != std::string::npos;
       start = pos + from.size()) {
    out.append(text, start, pos - start);
    out += to;
  }
  out.append(text, start, std::string::npos);
  return out;
}

std::string TrimRight(const std::string& text) {
  std::string::size_type end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string TrimBoth(const std::string& text) {
  std::string::size_type begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

namespace {
std::string::size_type SkipSpaceAndSign(const std::string& text, bool* negative) {
  std::string::size_type i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  *negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) *negative = text[i++] == '-';
  return i;
}
}  // namespace

long long LeadingNumber(const std::string& text) {
  bool negative;
  long long value = 0;
  for (std::string::size_type i = SkipSpaceAndSign(text, &negative);
       i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (LLONG_MAX - 9) / 10) return negative ? LLONG_MIN : LLONG_MAX;
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

bool HasLeadingNumber(const std::string& text) {
  bool negative;
  std::string::size_type i = SkipSpaceAndSign(text, &negative);
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

std::vector<std::string> SplitNonEmpty(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  std::string::size_type start = 0;
  while (start <= text.size()) {
    std::string::size_type pos = text.find(separator, start);
    if (pos == std::string::npos) pos = text.size();
    if (pos > start) pieces.push_back(text.substr(start, pos - start));
    start = pos + 1;
  }
  return pieces;
}

}  // namespace dorvik
