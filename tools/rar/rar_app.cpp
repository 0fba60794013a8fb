#include "tools/rar/rar_app.h"

#include "common/gbk.h"
#include "tools/rar/archive_extract.h"
#include "tools/rar/archive_update.h"
#include "tools/rar/exit_codes.h"
#include "tools/rar/rar_report.h"

namespace dorvik {
namespace rar {

namespace {

const char kUsage[] =
    "usage: rar <command> [switches] <archive> [files...] [destination\\]\n"
    "commands: a add files, e extract without paths, x extract with paths, t test\n"
    "switches: -r recurse, -m0..-m5 method, -o+ overwrite, -o- keep existing, -y yes to all,\n"
    "          -ibck quiet, -ilog log errors to rar.log, -k lock (accepted), -df delete files\n"
    "          after archiving, -x<mask> exclude, -- end of switches\n";

}  // namespace

int RunRar(IFileSystem& fs, IClock& clock, const std::string& logFolder,
           const std::vector<RawArgument>& args, std::ostream& out, std::ostream& err,
           const ZipLimits& limits, const PipelineSettings& settings, bool bVerify) {
  CRarReport report(fs, clock, logFolder, out, err);
  RarOptions options;
  std::string error;
  if (!ParseRarArguments(args, options, error)) {
    bool bLog = false;
    for (const RawArgument& arg : args) bLog = bLog || AsciiLower(arg.text) == "-ilog";
    report.Configure(false, bLog, "");
    report.Error(error);
    err << kUsage;
    return kExitUsage;
  }
  report.Configure(options.bQuiet, options.bLogErrors, options.positional[0].text);
  if (options.command == RarCommand::kAdd) return RunAdd(fs, options, report, limits, settings, bVerify);
  return RunExtract(fs, options, report);
}

int RunRarCommandLine(IFileSystem& fs, IClock& clock, const std::string& logFolder,
                      const std::string& commandLine,
                      const std::string& programStem, std::ostream& out, std::ostream& err,
                      bool bVerify) {
  std::vector<RawArgument> args = SplitCommandLine(commandLine);
  args.erase(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(
                                             CountProgramNameArguments(args, programStem)));
  return RunRar(fs, clock, logFolder, args, out, err, ZipLimits(), PipelineSettings(), bVerify);
}

}  // namespace rar
}  // namespace dorvik
