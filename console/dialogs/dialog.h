#pragma once
// The base of every dialog of the console: one dialog procedure that routes the messages to
// virtual handlers, and the item helpers every dialog needs. Nothing a handler throws crosses
// into the system: the procedure catches it, says so in a message box and the dialog goes on.
#include <string>

#include "common/win32.h"

#include <shellapi.h>

namespace dorvik {

class CDialog {
 public:
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

 protected:
  CDialog() = default;

  // Runs the dialog of the program's template modally. True when it ended with IDOK (false also
  // when the template could not be loaded).
  bool RunModal(HWND owner, int templateId);

  virtual void OnInitDialog() {}
  // TRUE when handled.
  virtual BOOL OnCommand(int /*id*/, int /*code*/) { return FALSE; }
  virtual BOOL OnNotify(const NMHDR* /*header*/) { return FALSE; }
  virtual void OnTimer(UINT_PTR /*id*/) {}
  virtual void OnDropFiles(HDROP drop) { DragFinish(drop); }
  virtual void OnDestroy() {}
  // Everything else: the console's own messages (WM_APP and up), colours, cursors, the system
  // menu. `*result` is what the dialog procedure returns when the message is handled.
  virtual bool OnOtherMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                              INT_PTR* /*result*/) {
    return false;
  }

  // The result of a message whose answer is a value (a custom-draw notification, a cursor).
  void SetMessageResult(LRESULT result);
  HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text);

  HWND m_hWnd = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam);
};

// The text of any window (a control, a dialog).
std::string WindowText(HWND window);

}  // namespace dorvik
