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

bool GbkToUtf16(const std::string& gbk, std::u16string* wide) {
  wide->clear();
  if (gbk.empty()) return true;
  const int nSize = static_cast<int>(gbk.size());
  const int nWide = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, gbk.data(), nSize, nullptr, 0);
  if (nWide <= 0) return false;
  std::wstring out(static_cast<std::size_t>(nWide), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, gbk.data(), nSize, &out[0], nWide) != nWide) {
    return false;
  }
  wide->assign(out.begin(), out.end());
  return true;
}

bool Utf16ToGbk(const std::u16string& wide, std::string* gbk) {
  gbk->clear();
  if (wide.empty()) return true;
  const std::wstring in(wide.begin(), wide.end());
  const int nSize = static_cast<int>(in.size());
  BOOL bDefault = FALSE;
  const int nOut = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, in.data(), nSize, nullptr, 0,
                                       nullptr, &bDefault);
  if (nOut <= 0 || bDefault) return false;
  gbk->resize(static_cast<std::size_t>(nOut));
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, in.data(), nSize, &(*gbk)[0], nOut, nullptr,
                          &bDefault) != nOut || bDefault) {
    return false;
  }
  // Some code pages ignore the best-fit flag: only a form that reads back as the same name counts.
  std::u16string back;
  return GbkToUtf16(*gbk, &back) && back == wide;
}

std::string GbkToUtf8(const std::string& gbk) { return ConvertCodePage(gbk, 936, CP_UTF8); }
std::string Utf8ToGbk(const std::string& utf8) { return ConvertCodePage(utf8, CP_UTF8, 936); }

}  // namespace dorvik
