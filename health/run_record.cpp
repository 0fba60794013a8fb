#include "health/run_record.h"

#include <cstdlib>
#include <vector>

namespace dorvik {

namespace {

const char kRunHeader[] = "dorvik run record 1";
const char kServiceHeader[] = "dorvik service record 1";
const char kEnd[] = "end";
constexpr std::size_t kLongestHex = 96;

std::string Escape(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

bool Unescape(const std::string& value, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      *out += value[i];
      continue;
    }
    if (++i == value.size()) return false;
    switch (value[i]) {
      case '\\': *out += '\\'; break;
      case 'n': *out += '\n'; break;
      case 'r': *out += '\r'; break;
      default: return false;
    }
  }
  return true;
}

std::string MomentText(Moment moment) { return moment == kNoMoment ? "" : std::to_string(moment); }

bool ReadNumber(const std::string& text, long long* value) {
  if (text.empty() || text.size() > 20) return false;
  char* end = nullptr;
  *value = std::strtoll(text.c_str(), &end, 10);
  return end == text.c_str() + text.size();
}

bool ReadMoment(const std::string& text, Moment* moment) {
  if (text.empty()) {
    *moment = kNoMoment;
    return true;
  }
  long long value = 0;
  if (!ReadNumber(text, &value)) return false;
  *moment = value;
  return true;
}

using Fields = std::vector<std::pair<const char*, std::string>>;

std::string FormatFields(const char* header, const Fields& fields) {
  std::string text = std::string(header) + "\n";
  for (const auto& field : fields) text += std::string(field.first) + "=" + Escape(field.second) + "\n";
  return text + kEnd + "\n";
}

// Every line between the header and "end", unescaped; nothing may follow "end".
bool ParseFields(const std::string& text, const char* header, std::map<std::string, std::string>* fields) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) return false;  // every line, "end" too, ends in LF
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  if (lines.size() < 2 || lines.front() != header || lines.back() != kEnd) return false;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::size_t equals = lines[i].find('=');
    if (equals == std::string::npos) return false;
    std::string value;
    if (!Unescape(lines[i].substr(equals + 1), &value)) return false;
    (*fields)[lines[i].substr(0, equals)] = value;
  }
  return true;
}

}  // namespace

std::string FormatRunRecord(const RunRecord& r) {
  return FormatFields(kRunHeader, {{"kind", r.strKind},
                                   {"key", r.strKey},
                                   {"schedule", r.strSchedule},
                                   {"watched_since", MomentText(r.watchedSince)},
                                   {"last_start", MomentText(r.lastStart)},
                                   {"last_end", MomentText(r.lastEnd)},
                                   {"last_result", r.bLastSucceeded ? "ok" : "failed"},
                                   {"last_success", MomentText(r.lastSuccess)},
                                   {"last_failure", MomentText(r.lastFailure)},
                                   {"failure_text", r.strFailure},
                                   {"output_bytes", std::to_string(r.nOutputBytes)},
                                   {"running_since", MomentText(r.runningSince)},
                                   {"running_service", MomentText(r.runningService)},
                                   {"reported_state", r.strReported}});
}

bool ParseRunRecord(const std::string& text, RunRecord* record) {
  std::map<std::string, std::string> f;
  if (!ParseFields(text, kRunHeader, &f)) return false;
  RunRecord r;
  long long bytes = 0;
  const std::string& result = f["last_result"];
  if (!ReadMoment(f["watched_since"], &r.watchedSince) || !ReadMoment(f["last_start"], &r.lastStart) ||
      !ReadMoment(f["last_end"], &r.lastEnd) || !ReadMoment(f["last_success"], &r.lastSuccess) ||
      !ReadMoment(f["last_failure"], &r.lastFailure) || !ReadMoment(f["running_since"], &r.runningSince) ||
      !ReadMoment(f["running_service"], &r.runningService) || !ReadNumber(f["output_bytes"], &bytes) ||
      bytes < 0 || (result != "ok" && result != "failed") || (f["kind"] != "file" && f["kind"] != "sql")) {
    return false;
  }
  r.strKind = f["kind"];
  r.strKey = f["key"];
  r.strSchedule = f["schedule"];
  r.bLastSucceeded = result == "ok";
  r.strFailure = f["failure_text"];
  r.nOutputBytes = static_cast<std::uint64_t>(bytes);
  r.strReported = f["reported_state"];
  *record = r;
  return true;
}

std::string FormatServiceRecord(const ServiceRecord& r) {
  return FormatFields(kServiceHeader,
                      {{"records_began", MomentText(r.recordsBegan)}, {"service_start", MomentText(r.serviceStart)}});
}

bool ParseServiceRecord(const std::string& text, ServiceRecord* record) {
  std::map<std::string, std::string> f;
  ServiceRecord r;
  if (!ParseFields(text, kServiceHeader, &f) || !ReadMoment(f["records_began"], &r.recordsBegan) ||
      !ReadMoment(f["service_start"], &r.serviceStart)) {
    return false;
  }
  *record = r;
  return true;
}

std::string RunRecordFileName(const std::string& kind, const std::string& key) {
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : key) {
    hex += kHex[c >> 4];
    hex += kHex[c & 15];
  }
  // A long key keeps the name short enough for the ANSI file functions: a cut plus a hash of all.
  if (hex.size() > kLongestHex) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
    hex.resize(kLongestHex - 17);
    hex += '-';
    for (int shift = 60; shift >= 0; shift -= 4) hex += kHex[(hash >> shift) & 15];
  }
  return kind + "-" + hex + ".txt";
}

}  // namespace dorvik
