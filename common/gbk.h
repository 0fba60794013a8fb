#pragma once
// Byte searches in GBK text. A GBK trail byte may be 0x5C ('\\') or another ASCII byte, so a
// search for an ASCII byte must step over whole characters instead of looking at single bytes.
#include <string>
#include <string_view>

namespace dorvik {

inline bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Position of the last `ch` that is a character of its own (not a trail byte), or npos.
std::string::size_type FindLastChar(std::string_view text, char ch);

// Position of the first `ch` that is a character of its own, or npos.
std::string::size_type FindFirstChar(const std::string& text, char ch, std::string::size_type from = 0);

// The text reversed character by character, double-byte characters kept whole.
std::string ReverseChars(const std::string& text);

// Folder part of a path, up to and including its last backslash; empty when it has none.
std::string DirectoryWithSlash(const std::string& path);

// The folder with one trailing backslash, added when it has none ("D:\bak" -> "D:\bak\"), and
// without its one trailing backslash. A last byte 0x5C that is a GBK trail byte is no backslash.
std::string WithTrailingBackslash(const std::string& folder);
std::string WithoutTrailingBackslash(const std::string& folder);

// Text after the last backslash (the whole path when it has none).
std::string LastPathComponent(const std::string& path);

// True when every byte belongs to a whole GBK character: ASCII, or a lead byte 0x81..0xFE
// followed by a trail byte 0x40..0xFE other than 0x7F. A lone lead byte would swallow the
// next byte of whatever the text is joined with (a closing bracket, quote or backslash).
bool IsWellFormedGbk(const std::string& text);

// Lower-cases ASCII letters only; double-byte characters stay as they are.
std::string AsciiLower(const std::string& text);

}  // namespace dorvik
