#include "common/code_page.h"
#include "common/code_page_win32.h"

namespace dorvik {

std::string ConvertCodePage(const std::string& text, UINT from, UINT to) {
  if (text.empty()) return text;
  const int nWide = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (nWide <= 0) return text;
  std::wstring wide(static_cast<std::size_t>(nWide), L'\0');
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], nWide);
  const int nOut = WideCharToMultiByte(to, 0, wide.data(), nWide, nullptr, 0, nullptr, nullptr);
  if (nOut <= 0) return text;
  std::string out(static_cast<std::size_t>(nOut), '\0');
  WideCharToMultiByte(to, 0, wide.data(), nWide, &out[0], nOut, nullptr, nullptr);
  return out;
}

std::string GbkToUtf8(const std::string& gbk) { return ConvertCodePage(gbk, 936, CP_UTF8); }
std::string Utf8ToGbk(const std::string& utf8) { return ConvertCodePage(utf8, CP_UTF8, 936); }

}  // namespace dorvik
