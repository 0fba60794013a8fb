#include "common/code_page.h"

#include <iconv.h>

namespace dorvik {

namespace {

// False when any of the text does not convert (iconv stops there).
bool Iconv(const std::string& text, const char* to, const char* from, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out->assign(text.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  char* dst = &(*out)[0];
  std::size_t inLeft = text.size(), outLeft = out->size();
  const bool bOk = iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1) &&
                   iconv(cd, nullptr, nullptr, &dst, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  out->resize(out->size() - outLeft);
  return bOk && inLeft == 0;
}

std::string IconvOrSame(const std::string& text, const char* to, const char* from) {
  std::string out;
  return Iconv(text, to, from, &out) ? out : text;
}

}  // namespace

std::string GbkToUtf8(const std::string& gbk) { return IconvOrSame(gbk, "UTF-8", "GBK"); }
std::string Utf8ToGbk(const std::string& utf8) { return IconvOrSame(utf8, "GBK", "UTF-8"); }

bool GbkToUtf16(const std::string& gbk, std::u16string* wide) {
  std::string bytes;
  wide->clear();
  if (!Iconv(gbk, "UTF-16LE", "GBK", &bytes)) return false;
  for (std::string::size_type i = 0; i + 1 < bytes.size(); i += 2) {
    wide->push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return true;
}

bool Utf16ToGbk(const std::u16string& wide, std::string* gbk) {
  std::string bytes;
  for (char16_t unit : wide) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return Iconv(bytes, "GBK", "UTF-16LE", gbk);
}

}  // namespace dorvik
