#include "common/system_error.h"

#include <cerrno>
#include <cstring>

namespace dorvik {

namespace {

thread_local int t_nNoted = 0;

}  // namespace

std::string SystemErrorText(unsigned long code) {
  char buffer[256] = {};
  // The GNU strerror_r may return its own static text instead of filling the buffer.
  const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
  return std::string(text) + " (" + std::to_string(code) + ")";
}

bool NoteSystemError() {
  t_nNoted = errno;
  return false;
}

std::string LastNotedErrorText() {
  return t_nNoted == 0 ? std::string() : SystemErrorText(static_cast<unsigned long>(t_nNoted));
}

}  // namespace dorvik
