#include "common/system_error.h"

#include "common/win32.h"

namespace dorvik {

namespace {

thread_local DWORD t_dwNoted = 0;

}  // namespace

std::string SystemErrorText(unsigned long code) {
  char* text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length ? std::string(text, length) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message + " (" + std::to_string(code) + ")";
}

bool NoteSystemError() {
  t_dwNoted = GetLastError();
  return false;
}

std::string LastNotedErrorText() { return t_dwNoted == 0 ? std::string() : SystemErrorText(t_dwNoted); }

}  // namespace dorvik
