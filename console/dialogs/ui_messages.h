#pragma once
// Messages the console's worker threads post to the main window. Texts travel as heap strings the
// window takes over, so a worker never waits for the interface thread.
#include <memory>
#include <string>

#include "common/win32.h"

namespace dorvik {

enum : UINT {
  kMsgShowText = WM_APP + 1,  // lParam: std::string*, wParam: MB_ICON* flags
  kMsgSqlConnecting,          // wParam: attempt number
  kMsgSqlConnected,           // wParam: attempt number, lParam: ISqlConnection*, null when failed
  kMsgFileBackupBusy,         // the file page's 立即备份 reads "备份中..."
  kMsgFileStatus,             // lParam: CRowTime*, key = the task's m_strID
  kMsgFileRunEnded,           // lParam: std::string*, the task's m_strID
  kMsgSqlProgress,    // lParam: std::string*, the 立即备份 caption
  kMsgSqlLastBackup,  // lParam: CRowTime*, key = the task's name
  kMsgSqlRunEnded,
  kMsgRestartEnded,  // wParam: whether to announce the end
};

// The web threads' results (console/web_notices.cpp).
enum : UINT {
  kMsgUpdateNotice = WM_APP + 40,  // lParam: UpdateNotice* of a newer version
  kMsgBannerList,                  // lParam: std::vector<BannerEntry>*, empty when none came
};

struct CRowTime {
  std::string strKey;
  std::string strTime;
};

// Posts a heap copy of `payload`; the window frees it with TakePosted.
template <typename T>
void PostOwned(HWND window, UINT message, WPARAM wParam, T payload) {
  T* copy = new T(std::move(payload));
  // A window already gone (the console is ending) leaves the copy to the process's end.
  if (!PostMessageA(window, message, wParam, reinterpret_cast<LPARAM>(copy))) delete copy;
}

template <typename T>
std::unique_ptr<T> TakePosted(LPARAM lParam) {
  return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}

}  // namespace dorvik
