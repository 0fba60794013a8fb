#include "common/code_page_names.h"

#include "common/code_page.h"
#include "common/code_page_utf.h"

namespace dorvik {

namespace {

// Never a byte of well-formed GBK: neither a lead byte (0x81..0xFE) nor a trail byte
// (0x40..0xFE) nor ASCII.
const char kEscape = '\xFF';
const char kHexDigits[] = "0123456789ABCDEF";

bool IsAscii(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool IsAscii(const std::u16string& text) {
  for (char16_t c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

// GBK's form of the characters, when it has one free of the escape byte.
bool SpellsInGbk(const std::u16string& wide, std::string* gbk) {
  return Utf16ToGbk(wide, gbk) && gbk->find(kEscape) == std::string::npos;
}

void AppendEscape(char16_t unit, std::string* out) {
  out->push_back(kEscape);
  for (int shift = 12; shift >= 0; shift -= 4) out->push_back(kHexDigits[(unit >> shift) & 0xF]);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string NarrowName(const std::u16string& wide) {
  std::string out;
  if (IsAscii(wide)) return std::string(wide.begin(), wide.end());
  if (SpellsInGbk(wide, &out)) return out;
  out.clear();
  for (std::u16string::size_type i = 0; i < wide.size();) {
    // A surrogate pair is one character: GBK spells both halves or neither.
    const bool bPair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() &&
                       wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
    const std::u16string character = wide.substr(i, bPair ? 2 : 1);
    std::string gbk;
    if (SpellsInGbk(character, &gbk)) {
      out += gbk;
    } else {
      for (char16_t unit : character) AppendEscape(unit, &out);
    }
    i += character.size();
  }
  return out;
}

bool WideName(const std::string& narrow, std::u16string* wide) {
  wide->clear();
  if (IsAscii(narrow)) {
    wide->assign(narrow.begin(), narrow.end());
    return true;
  }
  bool bEscaped = false;
  for (std::string::size_type start = 0;;) {
    const std::string::size_type escape = narrow.find(kEscape, start);
    std::u16string run;
    if (!GbkToUtf16(narrow.substr(start, escape - start), &run)) return false;
    *wide += run;
    if (escape == std::string::npos) break;
    if (escape + 4 >= narrow.size()) return false;
    int unit = 0;
    for (std::string::size_type k = escape + 1; k <= escape + 4; ++k) {
      const int digit = HexValue(narrow[k]);
      if (digit < 0) return false;
      unit = unit * 16 + digit;
    }
    wide->push_back(static_cast<char16_t>(unit));
    bEscaped = true;
    start = escape + 5;
  }
  return !bEscaped || NarrowName(*wide) == narrow;
}

bool NarrowNameToUtf8(const std::string& narrow, std::string* utf8) {
  std::u16string wide;
  if (!WideName(narrow, &wide)) return false;
  *utf8 = Utf16ToUtf8(wide);
  return true;
}

bool NarrowNameFromUtf8(const std::string& utf8, std::string* narrow) {
  std::u16string wide;
  if (!Utf8ToUtf16(utf8, &wide)) return false;
  *narrow = NarrowName(wide);
  return true;
}

}  // namespace dorvik
