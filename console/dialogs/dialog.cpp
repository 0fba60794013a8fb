#include "console/dialogs/dialog.h"

#include <exception>

#include "console/dialogs/message_box.h"

namespace dorvik {

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(window, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

bool CDialog::RunModal(HWND owner, int templateId) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                         DialogProc, reinterpret_cast<LPARAM>(this)) == IDOK;
}

void CDialog::SetMessageResult(LRESULT result) {
  SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
}

std::string CDialog::ItemText(int id) const { return WindowText(Item(id)); }

void CDialog::SetItemText(int id, const std::string& text) {
  SetDlgItemTextA(m_hWnd, id, text.c_str());
}

INT_PTR CALLBACK CDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    reinterpret_cast<CDialog*>(lParam)->m_hWnd = dialog;
  }
  auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!self) return FALSE;
  // The system cannot unwind through its own frames: a failure ends here, said once.
  try {
    return self->Route(message, wParam, lParam);
  } catch (const std::exception& failure) {
    ShowMessageBox(dialog, std::string("程序内部错误：") + failure.what(), MB_OK | MB_ICONSTOP);
  } catch (...) {
    ShowMessageBox(dialog, "程序内部错误", MB_OK | MB_ICONSTOP);
  }
  return TRUE;
}

INT_PTR CDialog::Route(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default: {
      INT_PTR result = FALSE;
      return OnOtherMessage(message, wParam, lParam, &result) ? result : FALSE;
    }
  }
}

}  // namespace dorvik
