#include "common/code_page_utf.h"

namespace dorvik {

namespace {

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// One character from utf8 at *i; false when the bytes there are no UTF-8 form of it.
bool NextUtf8(const std::string& utf8, std::string::size_type* i, char32_t* c) {
  const unsigned char first = static_cast<unsigned char>(utf8[*i]);
  std::string::size_type n;
  char32_t min;
  if (first < 0x80) {
    *c = first;
    ++*i;
    return true;
  } else if (first >= 0xC2 && first <= 0xDF) {
    n = 1, min = 0x80, *c = first & 0x1F;
  } else if (first >= 0xE0 && first <= 0xEF) {
    n = 2, min = 0x800, *c = first & 0x0F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    n = 3, min = 0x10000, *c = first & 0x07;
  } else {
    return false;
  }
  if (*i + n >= utf8.size()) return false;
  for (std::string::size_type k = 1; k <= n; ++k) {
    const unsigned char next = static_cast<unsigned char>(utf8[*i + k]);
    if ((next & 0xC0) != 0x80) return false;
    *c = (*c << 6) | (next & 0x3F);
  }
  if (*c < min || *c > 0x10FFFF) return false;
  *i += n + 1;
  return true;
}

}  // namespace

std::string Utf16ToUtf8(const std::u16string& wide) {
  std::string out;
  out.reserve(wide.size());
  for (std::u16string::size_type i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (IsHighSurrogate(c) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    }
    AppendUtf8(c, &out);
  }
  return out;
}

bool Utf8ToUtf16(const std::string& utf8, std::u16string* wide) {
  wide->clear();
  bool bAfterHigh = false;  // the last character was an unpaired high surrogate
  for (std::string::size_type i = 0; i < utf8.size();) {
    char32_t c;
    if (!NextUtf8(utf8, &i, &c)) return false;
    // A pair written as two three-byte forms has a UTF-8 form of its own: only that is taken.
    if (bAfterHigh && IsLowSurrogate(c)) return false;
    bAfterHigh = IsHighSurrogate(c);
    if (c < 0x10000) {
      wide->push_back(static_cast<char16_t>(c));
    } else {
      wide->push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      wide->push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return true;
}

}  // namespace dorvik
