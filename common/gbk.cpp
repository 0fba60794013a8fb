#include "common/gbk.h"

namespace dorvik {

namespace {
// Length of the character starting at i: 2 for a lead byte followed by another byte, else 1.
std::string::size_type CharLength(std::string_view text, std::string::size_type i) {
  if (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) return 2;
  return 1;
}
}  // namespace

std::string::size_type FindLastChar(std::string_view text, char ch) {
  std::string::size_type found = std::string::npos;
  for (std::string::size_type i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == ch) found = i;
  }
  return found;
}

std::string::size_type FindFirstChar(const std::string& text, char ch, std::string::size_type from) {
  for (std::string::size_type i = 0; i < text.size(); i += CharLength(text, i)) {
    if (i >= from && text[i] == ch) return i;
  }
  return std::string::npos;
}

std::string ReverseChars(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::string::size_type i = 0; i < text.size();) {
    std::string::size_type n = CharLength(text, i);
    out.insert(0, text, i, n);
    i += n;
  }
  return out;
}

std::string DirectoryWithSlash(const std::string& path) {
  std::string::size_type pos = FindLastChar(path, '\\');
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string WithTrailingBackslash(const std::string& folder) {
  if (!folder.empty() && FindLastChar(folder, '\\') == folder.size() - 1) return folder;
  return folder + "\\";
}

std::string WithoutTrailingBackslash(const std::string& folder) {
  if (!folder.empty() && FindLastChar(folder, '\\') == folder.size() - 1) {
    return folder.substr(0, folder.size() - 1);
  }
  return folder;
}

std::string LastPathComponent(const std::string& path) {
  std::string::size_type pos = FindLastChar(path, '\\');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

bool IsWellFormedGbk(const std::string& text) {
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) continue;
    if (!IsGbkLeadByte(c) || i + 1 >= text.size()) return false;
    const unsigned char trail = static_cast<unsigned char>(text[++i]);
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
  }
  return true;
}

std::string AsciiLower(const std::string& text) {
  std::string out = text;
  for (std::string::size_type i = 0; i < out.size(); i += CharLength(out, i)) {
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
  }
  return out;
}

}  // namespace dorvik
