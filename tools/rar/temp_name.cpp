#include "tools/rar/temp_name.h"

#include "common/process_id.h"

#include <atomic>
#include <chrono>
#include <cstdio>

#include "common/gbk.h"

namespace dorvik {
namespace rar {

namespace {

const char kMark[] = ".dvk";
const char kSuffix[] = ".tmp";

// Differs between runs of the same process id (the clock) and between calls in one run.
std::uint64_t NextUnique() {
  static std::atomic<std::uint64_t> counter(0);
  const std::uint64_t n = ++counter;
  const std::uint64_t now = static_cast<std::uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
  return (now * 0x9E3779B97F4A7C15ull) ^ (n << 40) ^ n;
}

bool AllOf(const std::string& text, const char* allowed) {
  if (text.empty()) return false;
  for (char c : text) {
    if (std::string(allowed).find(c) == std::string::npos) return false;
  }
  return true;
}

}  // namespace

std::string TemporaryNameFor(const std::string& path, unsigned long processId, std::uint64_t unique) {
  char tail[64];
  // Eight hex digits keep paths short; the process id and the retry on a clash do the rest.
  std::snprintf(tail, sizeof tail, "%s%lu-%08lx%s", kMark, processId,
                static_cast<unsigned long>((unique ^ (unique >> 32)) & 0xFFFFFFFFu), kSuffix);
  return path + tail;
}

bool IsTemporaryNameFor(const std::string& path, const std::string& candidate) {
  const std::string lowerPath = AsciiLower(path), lower = AsciiLower(candidate);
  const std::size_t head = lowerPath.size() + sizeof kMark - 1, suffix = sizeof kSuffix - 1;
  if (lower.size() <= head + suffix || lower.compare(0, lowerPath.size(), lowerPath) != 0 ||
      lower.compare(lowerPath.size(), sizeof kMark - 1, kMark) != 0 ||
      lower.compare(lower.size() - suffix, suffix, kSuffix) != 0) {
    return false;
  }
  const std::string middle = lower.substr(head, lower.size() - suffix - head);
  const std::string::size_type dash = middle.find('-');
  return dash != std::string::npos && AllOf(middle.substr(0, dash), "0123456789") &&
         AllOf(middle.substr(dash + 1), "0123456789abcdef");
}

std::unique_ptr<IFile> CreateTemporaryFor(IFileSystem& fs, const std::string& path, std::string& temp) {
  for (int i = 0; i < 16; ++i) {
    temp = TemporaryNameFor(path, CurrentProcessId(), NextUnique());
    std::unique_ptr<IFile> file = fs.CreateNewFile(temp);
    if (file) return file;
    DirectoryEntry info;
    if (!fs.Stat(temp, &info)) break;  // not a name clash: the folder refuses new files
  }
  return nullptr;
}

}  // namespace rar
}  // namespace dorvik
