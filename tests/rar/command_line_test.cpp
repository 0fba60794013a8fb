#include <gtest/gtest.h>

#include "tools/rar/command_line.h"

using namespace dorvik::rar;

namespace {

std::vector<std::string> Texts(const std::vector<RawArgument>& args) {
  std::vector<std::string> out;
  for (const RawArgument& a : args) out.push_back(a.text);
  return out;
}

RarOptions Parse(const std::string& line, std::string& error) {
  std::vector<RawArgument> args = SplitCommandLine(line);
  args.erase(args.begin(), args.begin() + static_cast<long>(CountProgramNameArguments(args, "rar")));
  RarOptions options;
  error.clear();
  if (!ParseRarArguments(args, options, error)) {
    EXPECT_FALSE(error.empty()) << line;
  }
  return options;
}

}  // namespace

TEST(RarCommandLine, SplitsWithItsOwnQuotingRules) {
  struct Row {
    const char* line;
    std::vector<std::string> args;
    const char* why;
  } rows[] = {
      {"a  b\t c", {"a", "b", "c"}, "runs of blanks separate"},
      {"\"C:\\web\\shop\"\\index.*", {"C:\\web\\shop\\index.*"}, "a quote may stand inside an argument"},
      {"\"C:\\web\\\" x", {"C:\\web\\", "x"}, "a backslash before a quote stays literal"},
      {"\"D:\\my backups\\x.zip\"", {"D:\\my backups\\x.zip"}, "quotes group blanks"},
      {"\"\"", {""}, "an empty quoted argument is an argument"},
      {"  ", {}, "blanks alone give nothing"},
      {"\"C:\\\xD5\x5C\" y", {"C:\\\xD5\x5C", "y"}, "GBK trail byte 0x5C before a quote"},
  };
  for (const Row& row : rows) EXPECT_EQ(Texts(SplitCommandLine(row.line)), row.args) << row.why;
}

TEST(RarCommandLine, ProgramNameMayBeAnUnquotedPathWithBlanks) {
  struct Row {
    const char* line;
    std::size_t count;
    const char* why;
  } rows[] = {
      {"C:\\Program Files\\WinRAR\\rar a x.zip y", 2, "unquoted path with a blank, no .exe"},
      {"C:\\Program Files\\WinRAR\\rar.exe  a x.zip y", 2, "with .exe"},
      {"\"C:\\Program Files\\WinRAR\\RAR.EXE\" a x.zip y", 1, "quoted, other case"},
      {"C:\\x a y\\rar.exe e p d", 3, "a blank-separated 'a' inside the path is not the command"},
      {"tool a b", 1, "no argument names the program: the first alone"},
      {"D:\\Win RAR 目录\\rar a x.zip y", 3, "a folder named like the program on the way"},
      {"D:\\RAR 5\\rar.exe x -y a.zip d", 2, "likewise, with .exe"},
      {"C:\\WinRAR\\rar a x.zip D:\\rar", 1, "a source named like the program after the command"},
      {"D:\\RAR 5\\rar -zz", 1, "no command follows: the first match, as before"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CountProgramNameArguments(SplitCommandLine(row.line), "rar"), row.count) << row.why;
  }
}

// The command lines the backup jobs, the SQL job and the restore build, byte for byte.
TEST(RarCommandLine, ParsesEveryCommandLineTheSystemBuilds) {
  std::string error;
  RarOptions all = Parse("C:\\Program Files\\WinRAR\\rar a -r -m5 -o+ -ibck -y  -ilog -k "
                         "\"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip\" \"C:\\web\\shop\"", error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(all.command, RarCommand::kAdd);
  EXPECT_TRUE(all.bRecurse && all.bOverwrite && all.bQuiet && all.bAssumeYes && all.bLogErrors && all.bLock);
  EXPECT_FALSE(all.bDeleteSources);
  EXPECT_EQ(all.nMethod, 5);
  EXPECT_EQ(Texts(all.positional),
            (std::vector<std::string>{"D:\\bak\\2024-5-1\\file_shop_20240501083000.zip", "C:\\web\\shop"}));

  RarOptions exclude = Parse("C:\\Program Files\\WinRAR\\rar a -r -m5 -o+ -ibck -y  -ilog  -xlogs.*  "
                             "-xcache.txt  \"D:\\bak\\x.zip\" \"C:\\web\\shop\\*.*\"", error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(exclude.excludes, (std::vector<std::string>{"logs.*", "cache.txt"}));
  EXPECT_EQ(Texts(exclude.positional), (std::vector<std::string>{"D:\\bak\\x.zip", "C:\\web\\shop\\*.*"}));

  RarOptions include = Parse("C:\\Program Files\\WinRAR\\rar a -r -m5 -o+ -ibck -y  -ilog  "
                             "\"D:\\bak\\x.zip\" \"C:\\web\\shop\"\\index.*", error);
  EXPECT_EQ(Texts(include.positional), (std::vector<std::string>{"D:\\bak\\x.zip", "C:\\web\\shop\\index.*"}));

  RarOptions sql = Parse("C:\\Program Files\\WinRAR\\rar.exe  a -r -m5 -o+ -ibck -y -ilog -k -df "
                         "\"D:\\sql\\shop\\2024-5-1\\db_shopdb_1.zip\" \"D:\\sql\\shop\\2024-5-1\\db_shopdb_1.bak\"",
                         error);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(sql.bDeleteSources);

  RarOptions restore = Parse("C:\\Program Files\\WinRAR\\rar.exe  e -y D:\\sql\\shop\\2024-5-1\\db_x_1.zip "
                             "D:\\sql\\shop\\2024-5-1", error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(restore.command, RarCommand::kExtractFlat);
  EXPECT_TRUE(restore.bAssumeYes);
  EXPECT_EQ(Texts(restore.positional),
            (std::vector<std::string>{"D:\\sql\\shop\\2024-5-1\\db_x_1.zip", "D:\\sql\\shop\\2024-5-1"}));
}

TEST(RarCommandLine, RejectsBadCommandLinesWithAMessage) {
  struct Row {
    const char* line;
    const char* error;
  } rows[] = {
      {"rar a -q x.zip y", "unknown switch \"-q\""},
      {"rar a -m6 x.zip y", "unknown switch \"-m6\""},
      {"rar a -x x.zip y", "switch -x needs a mask (for example -x*.log)"},
      {"rar z x.zip", "unknown command \"z\" (use a, e, x or t)"},
      {"rar", "no command given (use a, e, x or t)"},
      {"rar a -r", "no archive name given"},
      {"rar a x.zip", "no files to add given after the archive name"},
  };
  for (const Row& row : rows) {
    std::string error;
    Parse(row.line, error);
    EXPECT_EQ(error, row.error) << row.line;
  }
  std::string error;
  RarOptions dashed = Parse("rar a -R -M3 -O+ -- x.zip -odd", error);  // case-insensitive; -- ends switches
  EXPECT_EQ(error, "");
  EXPECT_TRUE(dashed.bRecurse && dashed.bOverwrite);
  EXPECT_EQ(dashed.nMethod, 3);
  EXPECT_EQ(Texts(dashed.positional), (std::vector<std::string>{"x.zip", "-odd"}));
}
