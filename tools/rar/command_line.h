#pragma once
// The archiver's command line, read from the raw text with its own rules rather than the C
// runtime's: runs of blanks separate arguments, double quotes group blanks and may stand inside
// an argument ("C:\web\shop"\index.* is C:\web\shop\index.*), and backslashes are always literal
// (a quoted "C:\web\" stays C:\web\).
#include <string>
#include <vector>

namespace dorvik {
namespace rar {

struct RawArgument {
  std::string text;                 // quotes removed
  std::string::size_type begin = 0; // span of the argument in the raw line, quotes included
  std::string::size_type end = 0;
  bool bQuoted = false;             // quotes stood in it: it is whole, never joined with another
};

std::vector<RawArgument> SplitCommandLine(const std::string& line);

// How many leading arguments make up the program's own name. The caller may name the program
// by an unquoted path with blanks (C:\Program Files\WinRAR\rar a ...): the name then ends at the
// first argument whose last component is `programStem` ("rar") or programStem + ".exe" and
// that a command (a, e, x, t) follows, or else at the first such argument.
std::size_t CountProgramNameArguments(const std::vector<RawArgument>& args,
                                      const std::string& programStem);

enum class RarCommand { kAdd, kExtractFlat, kExtractPaths, kTest };

struct RarOptions {
  RarCommand command = RarCommand::kAdd;
  bool bRecurse = false;          // -r
  int nMethod = 3;                // -m0 .. -m5
  bool bOverwrite = false;        // -o+
  bool bKeepExisting = false;     // -o-
  bool bQuiet = false;            // -ibck
  bool bAssumeYes = false;        // -y
  bool bLogErrors = false;        // -ilog
  bool bLock = false;             // -k
  bool bDeleteSources = false;    // -df
  std::vector<std::string> excludes;  // -x<mask>, in order
  // Arguments after the command that are not switches: the archive first, then the sources
  // (add) or the entry masks and the destination folder (extract).
  std::vector<RawArgument> positional;
};

// Parses the arguments after the program name. False with a message naming the fault.
bool ParseRarArguments(const std::vector<RawArgument>& args, RarOptions& options,
                       std::string& error);

}  // namespace rar
}  // namespace dorvik
