#pragma once
// The main window's update notice and banner: the web texts, the two delayed fetches, the
// 3-second banner timer, and the bottom line's colour, cursor and click.
#include <string>

#include "common/win32.h"
#include "console/web/banner_list.h"
#include "console/web/update_notice.h"
#include "console/web/web_texts.h"

namespace dorvik {

class CWebNotices {
 public:
  // The built-in web texts, with those of webtexts.txt beside the program put in their place.
  explicit CWebNotices(const std::string& programDir);

  const WebTexts& Texts() const { return m_texts; }
  // The banner timer, and the threads that fetch the update notice (after 2 s) and the banner
  // list (after 4 s). They end with the process and never hold up the console's exit.
  void Start(HWND window);
  // The window messages that concern the bottom line and the web threads; true when handled,
  // with the dialog procedure's result in *result.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);
  void OnBannerClick();

 private:
  void AskAboutUpdate(const UpdateNotice& notice);

  HWND m_hWnd = nullptr;
  WebTexts m_texts;
  CBannerRotation m_banner;
};

}  // namespace dorvik
