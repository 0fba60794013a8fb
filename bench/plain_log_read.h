#pragma once
// What the log benchmarks compare against: the log files read with the C library, nothing looked at.
#include <string>
#include <vector>

namespace dorvik {

// The C library's own path separator, for the benchmarks' plain reads and writes.
#ifdef _WIN32
constexpr char kBenchSeparator = '\\';
#else
constexpr char kBenchSeparator = '/';
#endif

// Every file read line by line into a buffer of 300 bytes (the longest line the log format
// expects); returns the lines read.
long long ReadLogLinesPlainly(const std::string& logDir, const std::vector<std::string>& fileNames);

}  // namespace dorvik
