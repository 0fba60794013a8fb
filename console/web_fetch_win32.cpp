#include "console/web_fetch.h"

#include "common/win32.h"

#include <wininet.h>

#include "common/scoped_handle.h"
#include "console/web_address.h"

namespace dorvik {

namespace {

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static bool Close(Handle h) { return InternetCloseHandle(h) != 0; }
};
using CInternetHandle = CScopedHandle<InternetHandleTraits>;

constexpr DWORD kStepTimeoutMs = 5000;    // connecting, sending, each wait for data
constexpr DWORD kWholeTimeoutMs = 15000;  // a server trickling bytes is cut off here

bool ReadAll(HINTERNET request, std::string* text) {
  const DWORD start = GetTickCount();
  char buffer[4096];
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request, buffer, sizeof buffer, &got)) return false;
    if (got == 0) return true;
    for (DWORD i = 0; i < got; ++i) {
      if (buffer[i] != '\r' && buffer[i] != '\n') *text += buffer[i];
    }
    if (GetTickCount() - start > kWholeTimeoutMs) return false;
  }
}

bool Fetch(const std::string& url, std::string* text) {
  CInternetHandle session(InternetOpenA("Dorvik", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return false;
  DWORD timeout = kStepTimeoutMs;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    // Without a limit the fetch still ends with the process: the console never waits for it.
    InternetSetOptionA(session.Get(), option, &timeout, sizeof timeout);
  }
  CInternetHandle request(InternetOpenUrlA(
      session.Get(), url.c_str(), nullptr, 0,
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI, 0));
  if (!request) return false;
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &size, nullptr) ||
      status != 200) {
    return false;
  }
  return ReadAll(request.Get(), text);
}

}  // namespace

bool FetchWebText(const std::string& address, std::string* text) {
  text->clear();
  if (address.empty()) return false;
  const bool bOk = Fetch(WithRequestNumber(address, NextRequestNumber()), text);
  if (!bOk) text->clear();
  return bOk;
}

}  // namespace dorvik
