#include "tools/rar/command_line.h"

#include "common/gbk.h"
#include "common/text.h"

namespace dorvik {
namespace rar {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Switch names compare without regard to ASCII case, as WinRAR's do.
bool SwitchIs(const std::string& text, const char* name) { return AsciiLower(text) == name; }

bool NamesProgram(const std::string& text, const std::string& stem) {
  std::string::size_type back = FindLastChar(text, '\\');
  std::string::size_type slash = text.rfind('/');
  std::string::size_type cut = back == std::string::npos ? slash
                               : slash == std::string::npos ? back
                               : (back > slash ? back : slash);
  const std::string last = AsciiLower(cut == std::string::npos ? text : text.substr(cut + 1));
  return last == stem || last == stem + ".exe";
}

bool IsCommand(const std::string& text) {
  const std::string command = AsciiLower(text);
  return command == "a" || command == "e" || command == "x" || command == "t";
}

}  // namespace

// Blanks and quotes are ASCII bytes below 0x40, never GBK trail bytes, so a byte scan is safe.
std::vector<RawArgument> SplitCommandLine(const std::string& line) {
  std::vector<RawArgument> args;
  std::string::size_type i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    RawArgument arg;
    arg.begin = i;
    bool bQuoted = false;
    for (; i < line.size() && (bQuoted || !IsBlank(line[i])); ++i) {
      if (line[i] == '"') {
        bQuoted = !bQuoted;
        arg.bQuoted = true;
      } else {
        arg.text += line[i];
      }
    }
    arg.end = i;
    args.push_back(arg);
  }
  return args;
}

std::size_t CountProgramNameArguments(const std::vector<RawArgument>& args,
                                      const std::string& programStem) {
  const std::string stem = AsciiLower(programStem);
  // A folder on the way may carry the program's name too (D:\RAR 5\rar a ...): the name ends
  // where a command follows, else at the first match.
  std::size_t first = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!NamesProgram(args[i].text, stem)) continue;
    if (i + 1 < args.size() && IsCommand(args[i + 1].text)) return i + 1;
    if (first == 0) first = i + 1;
  }
  if (first != 0) return first;
  return args.empty() ? 0 : 1;
}

bool ParseRarArguments(const std::vector<RawArgument>& args, RarOptions& options,
                       std::string& error) {
  if (args.empty()) {
    error = "no command given (use a, e, x or t)";
    return false;
  }
  const std::string command = AsciiLower(args[0].text);
  if (command == "a") {
    options.command = RarCommand::kAdd;
  } else if (command == "e") {
    options.command = RarCommand::kExtractFlat;
  } else if (command == "x") {
    options.command = RarCommand::kExtractPaths;
  } else if (command == "t") {
    options.command = RarCommand::kTest;
  } else {
    error = "unknown command \"" + args[0].text + "\" (use a, e, x or t)";
    return false;
  }
  bool bSwitchesEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& text = args[i].text;
    if (bSwitchesEnded || text.size() < 2 || text[0] != '-') {
      options.positional.push_back(args[i]);
      continue;
    }
    const std::string name = text.substr(1);
    const std::string lower = AsciiLower(name);
    if (lower == "-") {
      bSwitchesEnded = true;
    } else if (lower == "r") {
      options.bRecurse = true;
    } else if (lower.size() == 2 && lower[0] == 'm' && lower[1] >= '0' && lower[1] <= '5') {
      options.nMethod = lower[1] - '0';
    } else if (lower == "o+") {
      options.bOverwrite = true;
      options.bKeepExisting = false;
    } else if (lower == "o-") {
      options.bKeepExisting = true;
      options.bOverwrite = false;
    } else if (SwitchIs(name, "ibck")) {
      options.bQuiet = true;
    } else if (lower == "y") {
      options.bAssumeYes = true;
    } else if (SwitchIs(name, "ilog")) {
      options.bLogErrors = true;
    } else if (lower == "k") {
      options.bLock = true;
    } else if (SwitchIs(name, "df")) {
      options.bDeleteSources = true;
    } else if (lower[0] == 'x') {
      if (name.size() == 1) {
        error = "switch -x needs a mask (for example -x*.log)";
        return false;
      }
      options.excludes.push_back(name.substr(1));
    } else {
      error = "unknown switch \"" + text + "\"";
      return false;
    }
  }
  if (options.positional.empty()) {
    error = "no archive name given";
    return false;
  }
  if (options.command == RarCommand::kAdd && options.positional.size() < 2) {
    error = "no files to add given after the archive name";
    return false;
  }
  return true;
}

}  // namespace rar
}  // namespace dorvik
