#pragma once
// An IProcessRunner for unit tests: records every start in order and answers with chosen
// results. A hook may act on a start (e.g. make the files a copy would have made).
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "jobs/process.h"

namespace dorvik {

class CRecordingProcessRunner : public IProcessRunner {
 public:
  struct Start {
    enum Kind { kHiddenWait, kShellOpenWait } kind;
    std::string commandLine;  // for shell starts: program + " " + parameters
    std::string program;
  };

  ProcessResult RunHiddenAndWait(const std::string& program, const std::string& commandLine) override {
    return Record(Start::kHiddenWait, program, commandLine);
  }
  ProcessResult ShellOpenHiddenAndWait(const std::string& program,
                                       const std::string& parameters) override {
    return Record(Start::kShellOpenWait, program, program + " " + parameters);
  }

  std::vector<std::string> CommandLines() const {
    std::vector<std::string> lines;
    for (const Start& start : starts) lines.push_back(start.commandLine);
    return lines;
  }

  std::vector<Start> starts;
  // A command line whose text contains the key gets that result; all others succeed.
  std::map<std::string, ProcessResult> results;
  std::function<void(const std::string&)> onStart;

 private:
  ProcessResult Record(Start::Kind kind, const std::string& program, const std::string& commandLine) {
    starts.push_back(Start{kind, commandLine, program});
    if (onStart) onStart(commandLine);
    for (const auto& chosen : results) {
      if (commandLine.find(chosen.first) != std::string::npos) return chosen.second;
    }
    ProcessResult ok;
    ok.started = true;
    return ok;
  }
};

}  // namespace dorvik
