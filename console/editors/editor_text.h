#pragma once
// Text rules the two task editors share.
#include <functional>
#include <string>
#include <vector>

namespace dorvik {

using PathExists = std::function<bool(const std::string& path)>;

// What opening an editor on a record found: messages to show in order, and whether the console
// must end (exit code 0) after showing them.
struct EditorStart {
  std::vector<std::string> messages;
  bool bEndConsole = false;
};

// The text between the first `open` and the first `close` after it; empty when either is
// missing. Matches only at GBK character boundaries.
std::string TextBetween(const std::string& text, const std::string& open, const std::string& close);

// The last character (one or two bytes in GBK).
std::string LastChar(const std::string& text);

// The message refusing the first value that would break config.db; empty when all are safe.
std::string UnsafeValuesMessage(const std::vector<std::string>& values);

extern const char kNoFolderToOpen[];  // "打开" on an empty or missing path

}  // namespace dorvik
