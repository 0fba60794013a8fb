#pragma once
// Plain byte-string helpers shared by every subsystem.
#include <string>
#include <vector>

namespace dorvik {

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}
inline bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}
inline bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Every non-overlapping occurrence of `from`, left to right, replaced by `to`.
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to);

std::string TrimRight(const std::string& text);  // trailing blanks
std::string TrimBoth(const std::string& text);   // blanks at both ends

// The C library's leading-decimal reading (atoi): leading white space skipped, an optional
// sign, then digits; no digits gives 0. Saturates instead of overflowing.
long long LeadingNumber(const std::string& text);
// True when the text (after leading white space and an optional sign) starts with a digit.
bool HasLeadingNumber(const std::string& text);

// Split as strtok does: empty pieces vanish, blanks stay part of a piece.
std::vector<std::string> SplitNonEmpty(const std::string& text, char separator);

}  // namespace dorvik
