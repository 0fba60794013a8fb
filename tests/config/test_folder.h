#pragma once
// A scratch folder below DORVIK_TEST_ROOT, in the form the platform's file functions take.
#include <cstdlib>
#include <string>

namespace dorvik {

// Separator of the tree under test; under Wine the Linux path /a/b is Z:\a\b.
#ifdef _WIN32
constexpr char kTestSlash = '\\';
#else
constexpr char kTestSlash = '/';
#endif

inline std::string TestRootFolder() {
  const char* root = std::getenv("DORVIK_TEST_ROOT");
  std::string path = root && *root ? root : "/tmp";
  if (kTestSlash == '\\' && !path.empty() && path[0] == '/') {
    path = "Z:" + path;
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
  }
  return path + kTestSlash;
}

}  // namespace dorvik
