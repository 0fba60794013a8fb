#include "console/web/web_fetch.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "common/win32.h"

#include <wininet.h>

#include "common/scoped_handle.h"
#include "console/web/web_address.h"

namespace dorvik {

namespace {

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static bool Close(Handle h) { return InternetCloseHandle(h) != 0; }
};
using CInternetHandle = CScopedHandle<InternetHandleTraits>;

constexpr DWORD kStepTimeoutMs = 5000;  // connecting, sending, each wait for data
// The whole request, whatever WinINet makes of the step limits (Wine's ignores some of them).
constexpr std::chrono::milliseconds kWholeTimeout{8000};
// The update notice and the banner list are a few hundred bytes; a longer answer is not one of
// them, and reading it on would let a server fill the console's memory.
constexpr std::size_t kMostBytes = 64 * 1024;

using Deadline = std::chrono::steady_clock::time_point;

// Stops at the deadline too: the caller has given up on the answer by then.
bool ReadAll(HINTERNET request, Deadline deadline, std::string* text) {
  char buffer[4096];
  std::size_t total = 0;
  for (;;) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    DWORD got = 0;
    if (!InternetReadFile(request, buffer, sizeof buffer, &got)) return false;
    if (got == 0) return true;
    total += got;
    if (total > kMostBytes) return false;
    for (DWORD i = 0; i < got; ++i) {
      if (buffer[i] != '\r' && buffer[i] != '\n') *text += buffer[i];
    }
  }
}

bool Fetch(const std::string& url, Deadline deadline, std::string* text) {
  CInternetHandle session(InternetOpenA("Dorvik", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return false;
  DWORD timeout = kStepTimeoutMs;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    // A step limit WinINet refuses leaves the whole-request limit of FetchWebText.
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
  return ReadAll(request.Get(), deadline, text);
}

struct CFetchResult {
  std::mutex m_mutex;
  std::condition_variable m_done;
  bool m_bDone = false;
  bool m_bOk = false;
  std::string m_strText;
};

}  // namespace

bool FetchWebText(const std::string& address, std::string* text) {
  text->clear();
  if (address.empty()) return false;
  // The request runs on a thread of its own that is given up at the time limit; it ends when
  // WinINet lets go of it, or with the process.
  auto result = std::make_shared<CFetchResult>();
  const std::string url = WithRequestNumber(address, NextRequestNumber());
  const Deadline deadline = std::chrono::steady_clock::now() + kWholeTimeout;
  std::thread([result, url, deadline] {
    std::string fetched;
    const bool bOk = Fetch(url, deadline, &fetched);
    std::lock_guard<std::mutex> lock(result->m_mutex);
    result->m_bOk = bOk;
    result->m_strText = std::move(fetched);
    result->m_bDone = true;
    result->m_done.notify_one();
  }).detach();
  std::unique_lock<std::mutex> lock(result->m_mutex);
  if (!result->m_done.wait_until(lock, deadline, [&] { return result->m_bDone; }) ||
      !result->m_bOk) {
    return false;
  }
  *text = std::move(result->m_strText);
  return true;
}

}  // namespace dorvik
