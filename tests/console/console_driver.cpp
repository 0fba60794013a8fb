// Operates another program's windows the way a person would, through captions and control ids.
// One command per run (console_driver.exe COMMAND ARGS...), or many: with "-" as the only
// argument it reads commands from stdin, one a line, arguments separated by tabs, and answers
// each with zero or more "= value" lines and a last line "ok" or "err: why". Values keep their
// line breaks as \x1f and their tabs as \x1e so that every value stays on one line.
//
// A window is named by its caption ("caption*" matches a caption prefix) or as "msgbox", the
// message box being shown. Commands:
//   wait WIN [SECS]              until the window is shown        gone WIN [SECS]   until it is not
//   text WIN ID                  a control's text (ID 0: the caption)
//   settext WIN ID TEXT          WM_SETTEXT
//   click WIN ID [TIMES]         BM_CLICK; with TIMES, that many clicks queued at once, as while
//                                the window was busy (returns without waiting for them)
//   ping WIN MS                  WM_NULL: the milliseconds the window took to answer; an error
//                                when it has not answered within MS
//   state WIN ID                 "visible enabled checked" as 0/1 digits
//   focus WIN ID                 moves the keyboard focus to the control
//   close WIN                    WM_CLOSE
//   msgbox [SECS]                waits for a message box: its caption, text and buttons
//   answer BUTTON                presses IDOK, IDCANCEL, IDYES or IDNO in the message box and
//                                waits until the box is gone
//   lv-rows WIN ID               every row: check state (0/1) then the texts of all columns
//   lv-columns WIN ID            every column: title and width
//   lv-select WIN ID ROW...      selects exactly these rows; the first gets focus and the mark
//   lv-check WIN ID ROW 0|1      sets a row's check box
//   lv-dblclick WIN ID ROW       double click on a row (-1: below the last row)
//   lv-rclick WIN ID ROW         right click on a row (-1: below the last row)
//   menu-pick N                  chooses item N (from 0) of the open pop-up menu
//   menu-size                    the open pop-up menu's width and height, then closes it
//   controls WIN                 every visible control of the window itself: id, class, style,
//                                rectangle in the window's client area, text
//   has-dialog EXE ID            1 when the program holds that dialog template, else 0
//   press WIN ID                 the left button pressed and released on a control
//   syscommand WIN N             a system menu command (WM_SYSCOMMAND)
//   pointer WIN ID               the cursor the window sets for the pointer over a control (a
//                                handle: equal handles mean the same cursor)
// click and close return once the window has handled them or has opened a modal window; the
// other commands are answered by the window before they return.
#include "common/win32.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

const UINT kReplyTimeoutMs = 5000;
const int kMessageBoxTextId = 0xFFFF;
const LPCSTR kDialogType = MAKEINTRESOURCEA(5);  // RT_DIALOG, whatever the UNICODE setting

struct CommandError {
  std::string strWhat;
};

[[noreturn]] void Fail(const std::string& what) { throw CommandError{what}; }

// One value on one line.
std::string Flat(std::string text) {
  for (char& c : text) {
    if (c == '\n') c = '\x1f';
    if (c == '\t') c = '\x1e';
    if (c == '\r') c = '\x1f';
  }
  return text;
}

void Emit(const std::string& value) { std::printf("= %s\n", Flat(value).c_str()); }

std::string WindowText(HWND window) {
  char text[4096] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, kReplyTimeoutMs, &copied)) {
    Fail("WM_GETTEXT got no answer");
  }
  return text;
}

std::string ClassOf(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

BOOL CALLBACK FindOtherKind(HWND child, LPARAM param) {
  std::string kind = ClassOf(child);
  if (kind == "Static" || kind == "Button") return TRUE;
  *reinterpret_cast<bool*>(param) = true;
  return FALSE;
}

// A message box is a dialog of static texts and buttons only, its text in control 0xFFFF and at
// least one of the standard buttons; the task dialogs all hold edits or lists.
bool IsMessageBox(HWND window) {
  if (ClassOf(window) != "#32770" || !IsWindowEnabled(window)) return false;
  HWND text = GetDlgItem(window, kMessageBoxTextId);
  if (!text || ClassOf(text) != "Static") return false;
  bool otherKind = false;
  EnumChildWindows(window, FindOtherKind, reinterpret_cast<LPARAM>(&otherKind));
  if (otherKind) return false;
  for (int id = IDOK; id <= IDNO; ++id) {
    HWND button = GetDlgItem(window, id);
    if (button && ClassOf(button) == "Button") return true;
  }
  return false;
}

struct CSearch {
  std::string m_strSpec;
  HWND m_hFound = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  CSearch* search = reinterpret_cast<CSearch*>(param);
  if (!IsWindowVisible(window)) return TRUE;
  const std::string& spec = search->m_strSpec;
  bool match;
  if (spec == "msgbox") {
    match = IsMessageBox(window);
  } else {
    char caption[1024] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (!spec.empty() && spec.back() == '*') {
      match = std::strncmp(caption, spec.c_str(), spec.size() - 1) == 0;
    } else {
      match = spec == caption;
    }
  }
  if (!match) return TRUE;
  search->m_hFound = window;
  return FALSE;
}

HWND FindShown(const std::string& spec) {
  CSearch search{spec};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.m_hFound;
}

// Waits up to `seconds` for the window; a missing window is a failed command.
HWND WaitFor(const std::string& spec, double seconds) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindShown(spec)) return window;
    if (GetTickCount() - start > seconds * 1000) Fail("no window " + spec);
    Sleep(50);
  }
}

HWND Window(const std::string& spec) { return WaitFor(spec, 2); }

HWND Control(HWND window, const std::string& id) {
  int number = static_cast<int>(std::strtol(id.c_str(), nullptr, 0));
  if (number == 0) return window;
  HWND control = GetDlgItem(window, number);
  if (!control) Fail("no control " + id);
  return control;
}

LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kReplyTimeoutMs,
                           &result)) {
    Fail("message got no answer");
  }
  return static_cast<LRESULT>(result);
}

LRESULT SendW(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &result)) {
    Fail("message got no answer");
  }
  return static_cast<LRESULT>(result);
}

std::string ToAnsi(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(size > 0 ? size : 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], size, nullptr, nullptr);
  return ansi.c_str();
}

std::wstring FromAnsi(const std::string& text) {
  int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(size > 0 ? size : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
  return wide.c_str();
}

void Post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!PostMessageA(window, message, wparam, lparam)) Fail("PostMessage failed");
}

struct CPendingSend {
  HWND m_hWnd;
  UINT m_nMessage;
  WPARAM m_wParam;
  LPARAM m_lParam;
};

DWORD WINAPI SendAndForget(void* param) {
  CPendingSend* send = static_cast<CPendingSend*>(param);
  DWORD_PTR result = 0;
  // The answer is not needed: Act only waits for the message to be handled.
  SendMessageTimeoutA(send->m_hWnd, send->m_nMessage, send->m_wParam, send->m_lParam, SMTO_NORMAL,
                      INFINITE, &result);
  delete send;
  return 0;
}

// A click or a command as the user gives it: returns once the window has handled it, or once
// it has opened a modal window (which disables its owner) or a message box, so the next command
// never races with the handler. A posted message would be overtaken by the next command's sent
// messages.
void Act(HWND target, UINT message, WPARAM wparam, LPARAM lparam) {
  HWND top = GetAncestor(target, GA_ROOT);
  HANDLE thread = CreateThread(nullptr, 0, SendAndForget,
                               new CPendingSend{target, message, wparam, lparam}, 0, nullptr);
  if (!thread) Fail("CreateThread failed");
  while (WaitForSingleObject(thread, 20) == WAIT_TIMEOUT && IsWindow(top) && IsWindowEnabled(top) &&
         !FindShown("msgbox")) {
  }
  CloseHandle(thread);
}

// Memory inside the process that owns a window: list view messages that carry pointers need
// their buffers there.
class CRemoteBuffer {
 public:
  CRemoteBuffer(HWND window, size_t size) : m_nSize(size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    m_hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                             processId);
    if (!m_hProcess) Fail("OpenProcess failed");
    m_pRemote = VirtualAllocEx(m_hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!m_pRemote) {
      CloseHandle(m_hProcess);
      Fail("VirtualAllocEx failed");
    }
  }
  ~CRemoteBuffer() {
    VirtualFreeEx(m_hProcess, m_pRemote, 0, MEM_RELEASE);
    CloseHandle(m_hProcess);
  }
  CRemoteBuffer(const CRemoteBuffer&) = delete;
  CRemoteBuffer& operator=(const CRemoteBuffer&) = delete;

  char* At(size_t offset) const { return static_cast<char*>(m_pRemote) + offset; }
  void Write(size_t offset, const void* data, size_t size) const {
    if (!WriteProcessMemory(m_hProcess, At(offset), data, size, nullptr)) Fail("WriteProcessMemory failed");
  }
  void Read(size_t offset, void* data, size_t size) const {
    if (!ReadProcessMemory(m_hProcess, At(offset), data, size, nullptr)) Fail("ReadProcessMemory failed");
  }

 private:
  HANDLE m_hProcess = nullptr;
  void* m_pRemote = nullptr;
  size_t m_nSize;
};

const size_t kTextRoom = 2048;

std::string ItemText(HWND list, const CRemoteBuffer& buffer, int row, int column) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = buffer.At(sizeof item);
  item.cchTextMax = kTextRoom;
  buffer.Write(0, &item, sizeof item);
  Send(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(buffer.At(0)));
  std::vector<char> text(kTextRoom + 1, '\0');
  buffer.Read(sizeof item, text.data(), kTextRoom);
  return text.data();
}

int ColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
}

void SetItemState(HWND list, const CRemoteBuffer& buffer, int row, UINT state, UINT mask) {
  LVITEMA item = {};
  item.stateMask = mask;
  item.state = state;
  buffer.Write(0, &item, sizeof item);
  if (!Send(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(buffer.At(0)))) {
    Fail("LVM_SETITEMSTATE refused row " + std::to_string(row));
  }
}

int RowNumber(HWND list, const std::string& text) {
  int row = std::atoi(text.c_str());
  if (row >= static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0))) Fail("no row " + text);
  return row;
}

// Where a click on `row` lands, in the list's client coordinates; row -1 is the empty space
// below the last row.
POINT RowPoint(HWND list, int row) {
  RECT rect = {};
  if (row < 0) {
    GetClientRect(list, &rect);
    int count = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
    POINT point = {10, rect.bottom - 4};
    if (count > 0) {
      CRemoteBuffer buffer(list, sizeof(RECT));
      RECT last = {LVIR_BOUNDS, 0, 0, 0};
      buffer.Write(0, &last, sizeof last);
      Send(list, LVM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(buffer.At(0)));
      buffer.Read(0, &last, sizeof last);
      if (last.bottom + 4 >= rect.bottom) Fail("the rows fill the list");
    }
    return point;
  }
  CRemoteBuffer buffer(list, sizeof(RECT));
  rect.left = LVIR_LABEL;
  buffer.Write(0, &rect, sizeof rect);
  Send(list, LVM_ENSUREVISIBLE, row, FALSE);
  if (!Send(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(buffer.At(0)))) Fail("no rectangle");
  buffer.Read(0, &rect, sizeof rect);
  POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  return point;
}

void PostMouse(HWND list, std::initializer_list<UINT> messages, POINT at) {
  for (UINT message : messages) {
    WPARAM keys = (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) ? MK_LBUTTON
                  : (message == WM_RBUTTONDOWN) ? MK_RBUTTON : 0;
    Post(list, message, keys, MAKELPARAM(at.x, at.y));
  }
}

struct CControlList {
  HWND m_hParent;
  std::vector<std::string> m_lines;
};

BOOL CALLBACK ListControl(HWND child, LPARAM param) {
  CControlList* list = reinterpret_cast<CControlList*>(param);
  if (GetParent(child) != list->m_hParent || !IsWindowVisible(child)) return TRUE;
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, list->m_hParent, reinterpret_cast<POINT*>(&rect), 2);
  char line[256];
  std::snprintf(line, sizeof line, "%d\t%s\t%lx\t%ld,%ld,%ld,%ld\t", GetDlgCtrlID(child),
                ClassOf(child).c_str(), static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
                rect.left, rect.top, rect.right, rect.bottom);
  list->m_lines.push_back(line + WindowText(child));
  return TRUE;
}

int ButtonId(const std::string& name) {
  static const struct { const char* name; int id; } kButtons[] = {
      {"IDOK", IDOK}, {"IDCANCEL", IDCANCEL}, {"IDYES", IDYES}, {"IDNO", IDNO}};
  for (const auto& button : kButtons) {
    if (name == button.name) return button.id;
  }
  Fail("unknown button " + name);
}

double Seconds(const std::vector<std::string>& args, size_t index, double fallback) {
  return args.size() > index ? std::atof(args[index].c_str()) : fallback;
}

HWND ShownMenu() {
  HWND menu = FindWindowA("#32768", nullptr);
  DWORD start = GetTickCount();
  while (!menu || !IsWindowVisible(menu)) {
    if (GetTickCount() - start > 5000) Fail("no pop-up menu");
    Sleep(50);
    menu = FindWindowA("#32768", nullptr);
  }
  return menu;
}

void Need(const std::vector<std::string>& args, size_t count) {
  if (args.size() < count) Fail("too few arguments for " + args[0]);
}

void Run(const std::vector<std::string>& args) {
  Need(args, 1);
  const std::string& command = args[0];
  if (command == "wait") {
    Need(args, 2);
    Emit(WindowText(WaitFor(args[1], Seconds(args, 2, 10))));
  } else if (command == "gone") {
    Need(args, 2);
    DWORD start = GetTickCount();
    while (FindShown(args[1])) {
      if (GetTickCount() - start > Seconds(args, 2, 10) * 1000) Fail("still shown: " + args[1]);
      Sleep(50);
    }
  } else if (command == "text") {
    Need(args, 3);
    Emit(WindowText(Control(Window(args[1]), args[2])));
  } else if (command == "settext") {
    Need(args, 4);
    HWND control = Control(Window(args[1]), args[2]);
    if (!Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[3].c_str()))) Fail("WM_SETTEXT refused");
  } else if (command == "click") {
    Need(args, 3);
    HWND control = Control(Window(args[1]), args[2]);
    if (args.size() == 3) {
      Act(control, BM_CLICK, 0, 0);
    } else {
      // Posted together, all are queued before the window handles the first: nothing its
      // handler posts can come between them.
      for (int i = std::atoi(args[3].c_str()); i > 0; --i) Post(control, BM_CLICK, 0, 0);
    }
  } else if (command == "ping") {
    Need(args, 3);
    HWND window = Window(args[1]);
    const UINT bound = static_cast<UINT>(std::strtoul(args[2].c_str(), nullptr, 10));
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, bound, &result)) {
      Fail("no answer within " + args[2] + " ms");
    }
    Emit(std::to_string(GetTickCount() - start));
  } else if (command == "state") {
    Need(args, 3);
    HWND control = Control(Window(args[1]), args[2]);
    char state[8];
    std::snprintf(state, sizeof state, "%d %d %d", IsWindowVisible(control) ? 1 : 0,
                  IsWindowEnabled(control) ? 1 : 0,
                  Send(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    Emit(state);
  } else if (command == "focus") {
    Need(args, 3);
    HWND window = Window(args[1]);
    Send(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(window, args[2])), TRUE);
  } else if (command == "press") {
    // A static control with SS_NOTIFY reports a click on the button going down.
    Need(args, 3);
    HWND control = Control(Window(args[1]), args[2]);
    Act(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    Post(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  } else if (command == "pointer") {
    // The window picks the cursor for the pointer over a control; the cursor it set belongs to
    // its thread's input state, which this thread shares for the reading.
    Need(args, 3);
    HWND window = Window(args[1]);
    HWND control = Control(window, args[2]);
    const DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
    if (!AttachThreadInput(GetCurrentThreadId(), windowThread, TRUE)) Fail("AttachThreadInput failed");
    Send(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    HCURSOR cursor = GetCursor();
    AttachThreadInput(GetCurrentThreadId(), windowThread, FALSE);
    // Wine gives each process its own handles for the standard cursors (and no picture of
    // another's): the handle tells only which controls share a cursor.
    char handle[32];
    std::snprintf(handle, sizeof handle, "%p", static_cast<void*>(cursor));
    Emit(handle);
  } else if (command == "syscommand") {
    Need(args, 3);
    Act(Window(args[1]), WM_SYSCOMMAND, std::strtoul(args[2].c_str(), nullptr, 0), 0);
  } else if (command == "close") {
    Need(args, 2);
    Act(Window(args[1]), WM_CLOSE, 0, 0);
  } else if (command == "msgbox") {
    HWND box = WaitFor("msgbox", Seconds(args, 1, 10));
    std::string buttons;
    for (const char* name : {"IDOK", "IDCANCEL", "IDYES", "IDNO"}) {
      HWND button = GetDlgItem(box, ButtonId(name));
      if (button && IsWindowVisible(button)) buttons += (buttons.empty() ? "" : " ") + std::string(name);
    }
    Emit(WindowText(box));
    Emit(WindowText(GetDlgItem(box, kMessageBoxTextId)));
    Emit(buttons);
  } else if (command == "answer") {
    Need(args, 2);
    HWND box = Window("msgbox");
    int id = ButtonId(args[1]);
    HWND button = GetDlgItem(box, id);
    if (!button) Fail("the message box has no " + args[1]);
    Post(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    DWORD start = GetTickCount();
    while (IsWindow(box)) {
      if (GetTickCount() - start > 10000) Fail("the message box stays");
      Sleep(20);
    }
  } else if (command == "lv-rows") {
    Need(args, 3);
    HWND list = Control(Window(args[1]), args[2]);
    int rows = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
    int columns = ColumnCount(list);
    CRemoteBuffer buffer(list, sizeof(LVITEMA) + kTextRoom + 1);
    for (int row = 0; row < rows; ++row) {
      UINT state = static_cast<UINT>(Send(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
      std::string line = (state >> 12) == 2 ? "1" : "0";
      for (int column = 0; column < columns; ++column) line += "\x1e" + ItemText(list, buffer, row, column);
      Emit(line);
    }
  } else if (command == "lv-columns") {
    Need(args, 3);
    HWND list = Control(Window(args[1]), args[2]);
    CRemoteBuffer buffer(list, sizeof(LVCOLUMNA) + kTextRoom + 1);
    for (int column = 0, count = ColumnCount(list); column < count; ++column) {
      LVCOLUMNA info = {};
      info.mask = LVCF_TEXT | LVCF_WIDTH;
      info.pszText = buffer.At(sizeof info);
      info.cchTextMax = kTextRoom;
      buffer.Write(0, &info, sizeof info);
      buffer.Write(sizeof info, "", 1);
      Send(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(buffer.At(0)));
      buffer.Read(0, &info, sizeof info);
      std::vector<char> title(kTextRoom + 1, '\0');
      buffer.Read(sizeof info, title.data(), kTextRoom);
      Emit(std::string(title.data()) + "\t" + std::to_string(info.cx));
    }
  } else if (command == "lv-select") {
    Need(args, 4);
    HWND list = Control(Window(args[1]), args[2]);
    CRemoteBuffer buffer(list, sizeof(LVITEMA));
    SetItemState(list, buffer, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (size_t i = 3; i < args.size(); ++i) {
      int row = RowNumber(list, args[i]);
      SetItemState(list, buffer, row, i == 3 ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED,
                   LVIS_SELECTED | LVIS_FOCUSED);
      if (i == 3) Send(list, LVM_SETSELECTIONMARK, 0, row);
    }
  } else if (command == "lv-check") {
    Need(args, 5);
    HWND list = Control(Window(args[1]), args[2]);
    CRemoteBuffer buffer(list, sizeof(LVITEMA));
    SetItemState(list, buffer, RowNumber(list, args[3]),
                 INDEXTOSTATEIMAGEMASK(args[4] == "1" ? 2 : 1), LVIS_STATEIMAGEMASK);
  } else if (command == "lv-dblclick" || command == "lv-rclick") {
    Need(args, 4);
    HWND list = Control(Window(args[1]), args[2]);
    int row = std::atoi(args[3].c_str());
    POINT at = RowPoint(list, row < 0 ? -1 : RowNumber(list, args[3]));
    if (command == "lv-dblclick") {
      PostMouse(list, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, at);
    } else {
      PostMouse(list, {WM_RBUTTONDOWN, WM_RBUTTONUP}, at);
    }
  } else if (command == "menu-pick") {
    Need(args, 2);
    HWND menu = ShownMenu();
    for (int i = 0, n = std::atoi(args[1].c_str()); i <= n; ++i) Post(menu, WM_KEYDOWN, VK_DOWN, 0);
    Post(menu, WM_KEYDOWN, VK_RETURN, 0);
  } else if (command == "menu-size") {
    // Menus belong to their process under Wine (another process cannot read their items), but
    // the pop-up window's size shows what they hold. Escape closes it.
    HWND menu = ShownMenu();
    RECT rect = {};
    GetWindowRect(menu, &rect);
    Emit(std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top));
    Post(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  } else if (command == "cb-items") {
    // Drop-down lists: their entries in list order, and picking one as a user does. The system
    // carries combo box texts between processes itself; Wine hands an A caller UTF-16 there, so
    // the W messages are used and converted here.
    Need(args, 3);
    HWND combo = Control(Window(args[1]), args[2]);
    for (int i = 0, n = static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0)); i < n; ++i) {
      std::vector<wchar_t> text(static_cast<size_t>(SendW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
      SendW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      Emit(ToAnsi(text.data()));
    }
  } else if (command == "cb-pick") {
    Need(args, 4);
    HWND window = Window(args[1]);
    HWND combo = Control(window, args[2]);
    const std::wstring wanted = FromAnsi(args[3]);
    LRESULT index = SendW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wanted.c_str()));
    if (index == CB_ERR) Fail("no entry " + args[3]);
    Send(combo, CB_SETCURSEL, index, 0);
    Act(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  } else if (command == "lv-header") {
    // A click in the middle of a column's header (near its edges it would start a resize).
    Need(args, 4);
    HWND list = Control(Window(args[1]), args[2]);
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
    const int chosen = std::atoi(args[3].c_str());
    int x = static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, chosen, 0)) / 2;
    for (int column = 0; column < chosen; ++column) x += static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, column, 0));
    PostMouse(header, {WM_LBUTTONDOWN, WM_LBUTTONUP}, POINT{x, 4});
  } else if (command == "has-dialog") {
    Need(args, 3);
    HMODULE module = LoadLibraryExA(args[1].c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) Fail("cannot load " + args[1]);
    bool found = FindResourceA(module, MAKEINTRESOURCEA(std::atoi(args[2].c_str())), kDialogType) != nullptr;
    FreeLibrary(module);
    Emit(found ? "1" : "0");
  } else if (command == "controls") {
    Need(args, 2);
    CControlList list{Window(args[1]), {}};
    EnumChildWindows(list.m_hParent, ListControl, reinterpret_cast<LPARAM>(&list));
    for (const std::string& line : list.m_lines) Emit(line);
  } else {
    Fail("unknown command " + command);
  }
}

void RunReporting(const std::vector<std::string>& args) {
  try {
    Run(args);
    std::printf("ok\n");
  } catch (const CommandError& error) {
    std::printf("err: %s\n", Flat(error.strWhat).c_str());
  }
  std::fflush(stdout);
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  for (;;) {
    std::string::size_type tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "-") {
    std::string line;
    while (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) RunReporting(SplitTabs(line));
    }
    return 0;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: console_driver COMMAND ARGS... | console_driver -\n");
    return 2;
  }
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    Run(args);
  } catch (const CommandError& error) {
    std::printf("err: %s\n", Flat(error.strWhat).c_str());
    return 1;
  }
  std::fflush(stdout);
  return 0;
}
