#pragma once
// A modal dialog from a resource template. `Derived` handles OnInitDialog and
// OnCommand(id, code), and may handle OnNotify and OnDropFiles.
#include "common/win32.h"

#include <shellapi.h>

namespace dorvik {

template <class Derived>
class CModalDialog {
 protected:
  // True when the dialog ended with OK (false also when the template could not be loaded).
  bool RunModal(HWND owner, int templateId) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                           DialogProc, reinterpret_cast<LPARAM>(this)) == IDOK;
  }

  BOOL OnNotify(const NMHDR*) { return FALSE; }
  void OnDropFiles(HDROP drop) { DragFinish(drop); }

  HWND m_hWnd = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      reinterpret_cast<CModalDialog*>(lParam)->m_hWnd = dialog;
    }
    auto* self = reinterpret_cast<CModalDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!self) return FALSE;
    Derived* derived = static_cast<Derived*>(self);
    switch (message) {
      case WM_INITDIALOG:
        derived->OnInitDialog();
        return TRUE;
      case WM_COMMAND:
        return derived->OnCommand(LOWORD(wParam), HIWORD(wParam));
      case WM_NOTIFY:
        return derived->OnNotify(reinterpret_cast<const NMHDR*>(lParam));
      case WM_DROPFILES:
        derived->OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    }
    return FALSE;
  }
};

}  // namespace dorvik
