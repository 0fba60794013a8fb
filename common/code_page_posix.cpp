#include "common/code_page.h"

#include <iconv.h>

namespace dorvik {

namespace {

std::string Iconv(const std::string& text, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out(text.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  char* dst = &out[0];
  std::size_t inLeft = text.size(), outLeft = out.size();
  const bool bOk = iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!bOk) return text;
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

std::string GbkToUtf8(const std::string& gbk) { return Iconv(gbk, "UTF-8", "GBK"); }
std::string Utf8ToGbk(const std::string& utf8) { return Iconv(utf8, "GBK", "UTF-8"); }

}  // namespace dorvik
