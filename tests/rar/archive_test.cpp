#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "tests/common/fake_file_system.h"
#include "tests/rar/rar_run.h"
#include "tools/rar/archive_extract.h"
#include "tools/rar/exit_codes.h"
#include "tools/rar/rar_app.h"
#include "tools/rar/zip_reader.h"

using namespace dorvik;
using namespace dorvik::rar;

// Files of every kind survive add and extract: empty, compressible, incompressible, many
// chunks (small chunk size), GBK names; time stamps come back in two-second steps.
TEST(RarArchive, RoundTripsThroughAddAndExtract) {
  CFakeFileSystem fs;
  fs.m_nNewFileTime = ToEpochSeconds(MakeLocalTime(2024, 5, 1, 8, 0, 7));
  const std::string big = Compressible(200000) + Random(150000, 1) + Compressible(5000);
  fs.AddFile("C:\\src\\empty.txt", "");
  fs.AddFile("C:\\src\\text.txt", Compressible(3000));
  fs.AddFile("C:\\src\\noise.bin", Random(10000, 2));
  fs.AddFile("C:\\src\\数据\\big.dat", big);
  fs.AddFile("C:\\src\\random.big", Random(100000, 3));
  fs.AddFolder("C:\\out");
  ASSERT_EQ(RunLine(fs, "rar a -r -m5 C:\\a.zip C:\\src", ZipLimits(), 16384).code, kExitSuccess);
  for (const ZipEntry& e : Entries(fs, "C:\\a.zip")) {
    if (e.name == "src/noise.bin" || e.name == "src/empty.txt") {
      EXPECT_EQ(e.method, kMethodStored) << e.name << ": incompressible data is stored";
    }
    if (e.name == "src/random.big") {  // several chunks: stored deflate blocks, a few bytes per chunk
      EXPECT_EQ(e.method, kMethodDeflated);
      EXPECT_LE(e.compressedSize, e.uncompressedSize + 128);
    }
    if (e.name == u8"src/数据/big.dat") {  // random in the middle must not stop the text's compression
      EXPECT_LT(e.compressedSize, 160000u);
    }
    if (e.name == "src/text.txt") EXPECT_EQ(e.method, kMethodDeflated);
    EXPECT_EQ(e.flags & kFlagUtf8, e.name.find(u8"数据") != std::string::npos ? kFlagUtf8 : 0) << e.name;
  }
  RunResult extract = RunLine(fs, "rar x C:\\a.zip C:\\out\\");
  ASSERT_EQ(extract.code, kExitSuccess) << extract.err;
  EXPECT_EQ(fs.FileContent("C:\\out\\src\\数据\\big.dat"), big);
  EXPECT_EQ(fs.FileContent("C:\\out\\src\\noise.bin"), Random(10000, 2));
  EXPECT_TRUE(fs.Exists("C:\\out\\src\\empty.txt"));
  DirectoryEntry info;
  ASSERT_TRUE(fs.Stat("C:\\out\\src\\text.txt", &info));
  EXPECT_EQ(FormatLocalTime(FromEpochSeconds(info.lastWriteTime), "%Y-%m-%d %H:%M:%S"), "2024-05-01 08:00:06");
  EXPECT_EQ(RunLine(fs, "rar t C:\\a.zip").code, kExitSuccess);
}

// -o+ replaces entries of the same name and keeps the others' compressed bytes as they were.
TEST(RarArchive, UpdateReplacesSameNamesAndCopiesTheRest) {
  CFakeFileSystem fs;
  fs.AddFile("C:\\web\\shop\\index.html", Compressible(5000));
  fs.AddFile("C:\\web\\shop\\keep.txt", Compressible(7000));
  ASSERT_EQ(RunLine(fs, "rar a -r -o+ C:\\b.zip \"C:\\web\\shop\"\\*.*").code, kExitSuccess);
  const std::string before = fs.FileContent("C:\\b.zip");
  fs.AddFile("C:\\web\\shop\\index.html", "new page");
  ASSERT_EQ(RunLine(fs, "rar a -r -o+ C:\\b.zip \"C:\\web\\shop\"\\index.*").code, kExitSuccess);
  std::vector<ZipEntry> entries = Entries(fs, "C:\\b.zip");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "keep.txt");  // copied first, in its old order
  EXPECT_EQ(entries[1].name, "index.html");
  EXPECT_EQ(entries[1].uncompressedSize, 8u);
  // The copied entry's data is the same bytes as in the old archive.
  std::unique_ptr<IFile> file = fs.OpenForReading("C:\\b.zip");
  std::uint64_t offset = 0;
  std::string error;
  ASSERT_TRUE(FindEntryData(*file, entries[0], offset, error));
  const std::string copied = fs.FileContent("C:\\b.zip").substr(offset, entries[0].compressedSize);
  EXPECT_NE(before.find(copied), std::string::npos);
  for (const std::string& path : fs.ListTree("C:")) EXPECT_EQ(path.find(".tmp"), std::string::npos) << path;

  // An archive inside its own source never takes itself (nor its temporary file) in.
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(RunLine(fs, "rar a -r -o+ C:\\web\\shop\\site.zip C:\\web\\shop").code, kExitSuccess);
  }
  std::vector<std::string> names;
  for (const ZipEntry& e : Entries(fs, "C:\\web\\shop\\site.zip")) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"shop/", "shop/index.html", "shop/keep.txt"}));
}

// -df deletes only what the written archive holds, and nothing when the archive fails.
TEST(RarArchive, DeleteSourcesOnlyAfterTheArchiveIsSafe) {
  CFakeFileSystem fs;
  fs.AddFile("D:\\sql\\db_x_1.bak", Compressible(10000));
  RunResult missingFolder = RunLine(fs, "rar.exe a -r -m5 -o+ -ibck -y -ilog -k -df \"D:\\nowhere\\db_x_1.zip\" \"D:\\sql\\db_x_1.bak\"");
  EXPECT_EQ(missingFolder.code, kExitWrite);
  EXPECT_TRUE(fs.Exists("D:\\sql\\db_x_1.bak"));
  EXPECT_EQ(RunLine(fs, "rar.exe a -r -m5 -o+ -ibck -y -ilog -k -df \"D:\\sql\\db_x_1.zip\" \"D:\\sql\\db_x_1.bak\"").code,
            kExitSuccess);
  EXPECT_FALSE(fs.Exists("D:\\sql\\db_x_1.bak"));
  // The restore's command line: unquoted, destination without a trailing backslash.
  ASSERT_EQ(RunLine(fs, "rar.exe e -y D:\\sql\\db_x_1.zip D:\\sql").code, kExitSuccess);
  EXPECT_EQ(fs.FileContent("D:\\sql\\db_x_1.bak"), Compressible(10000));
  // A folder source goes away with -df unless it keeps excluded files.
  fs.AddFile("D:\\t\\a.txt", "a");
  fs.AddFile("D:\\t\\sub\\b.log", "b");
  fs.AddFile("D:\\u\\c.txt", "c");
  EXPECT_EQ(RunLine(fs, "rar a -r -df -x*.log D:\\t.zip D:\\t D:\\u").code, kExitSuccess);
  EXPECT_FALSE(fs.Exists("D:\\t\\a.txt"));
  EXPECT_TRUE(fs.Exists("D:\\t\\sub\\b.log"));
  EXPECT_FALSE(fs.Exists("D:\\u"));
}

TEST(RarArchive, FailuresLeaveNothingHalfWrittenAndSayWhy) {
  CFakeFileSystem fs;
  TestClock().Set(MakeLocalTime(2024, 5, 1, 8, 30, 0));
  fs.AddFolder("C:\\Tools");
  fs.AddFile("C:\\x\\not.zip", "this is no archive at all, just text");
  fs.AddFile("C:\\x\\a.txt", "a");
  struct Row {
    const char* line;
    int code;
    const char* why;
  } rows[] = {
      {"rar a -ilog C:\\x\\none.zip C:\\x\\*.abc", kExitNoFiles, "nothing matches: no archive"},
      {"rar a -ilog C:\\x\\not.zip C:\\x\\a.txt", kExitFatal, "an existing file that is no ZIP is left alone"},
      {"rar e -ilog C:\\x\\missing.zip C:\\x", kExitOpen, "no archive to extract"},
      {"rar a -ilog -zz C:\\x\\y.zip C:\\x", kExitUsage, "unknown switch"},
  };
  for (const Row& row : rows) EXPECT_EQ(RunLine(fs, row.line).code, row.code) << row.why;
  EXPECT_FALSE(fs.Exists("C:\\x\\none.zip"));
  EXPECT_EQ(fs.FileContent("C:\\x\\not.zip"), "this is no archive at all, just text");
  EXPECT_EQ(fs.FileContent("C:\\Tools\\rar.log"),
            "2024-05-01 08:30:00 C:\\x\\none.zip: no files match C:\\x\\*.abc\r\n"
            "2024-05-01 08:30:00 C:\\x\\none.zip: no files to add\r\n"
            "2024-05-01 08:30:00 C:\\x\\not.zip: cannot update the existing archive: not a ZIP archive "
            "(no end of central directory)\r\n"
            "2024-05-01 08:30:00 C:\\x\\missing.zip: cannot open the archive\r\n"
            "2024-05-01 08:30:00 unknown switch \"-zz\"\r\n");

  // A flipped data byte: CRC error, and no file left behind where it was to be extracted.
  fs.AddFile("C:\\x\\c.txt", Random(3000, 9));
  ASSERT_EQ(RunLine(fs, "rar a C:\\x\\c.zip C:\\x\\c.txt").code, kExitSuccess);
  std::string bytes = fs.FileContent("C:\\x\\c.zip");
  bytes[40] = static_cast<char>(bytes[40] ^ 0x01);
  fs.AddFile("C:\\x\\c.zip", bytes);
  fs.AddFolder("C:\\y");
  EXPECT_EQ(RunLine(fs, "rar e -y C:\\x\\c.zip C:\\y").code, kExitCrc);
  EXPECT_FALSE(fs.Exists("C:\\y\\c.txt"));
  EXPECT_FALSE(fs.Exists("C:\\y\\c.txt.rartmp"));
  // Without -y or -o+ an existing file is kept.
  fs.AddFile("C:\\y\\a.txt", "mine");
  ASSERT_EQ(RunLine(fs, "rar a C:\\x\\a.zip C:\\x\\a.txt").code, kExitSuccess);
  EXPECT_EQ(RunLine(fs, "rar e C:\\x\\a.zip C:\\y\\").code, kExitWarning);
  EXPECT_EQ(fs.FileContent("C:\\y\\a.txt"), "mine");
}

TEST(RarArchive, RejoinsUnquotedPathsSplitAtBlanks) {
  CFakeFileSystem fs;
  fs.AddFile("D:\\my backups\\db_x_1.zip", "z");
  fs.AddFolder("D:\\my backups\\x");
  fs.AddFile("D:\\SQL Backup\\db_y.zip", "z");
  fs.AddFolder("D:\\SQL");  // a folder named like the archive's first word
  struct Row {
    const char* args;
    std::vector<std::string> expected;
    const char* why;
  } rows[] = {
      {"D:\\my backups\\db_x_1.zip D:\\my  backups", {"D:\\my backups\\db_x_1.zip", "D:\\my  backups"},
       "blanks come back as they were"},
      {"D:\\SQL Backup\\db_y.zip D:\\SQL Backup", {"D:\\SQL Backup\\db_y.zip", "D:\\SQL Backup"},
       "a folder is never taken for the archive"},
      {"\"D:\\SQL Backup\\db_y.zip\" \"D:\\SQL Backup\"", {"D:\\SQL Backup\\db_y.zip", "D:\\SQL Backup"},
       "quoted paths stay as they are"},
      {"\"D:\\SQL Backup\\db_y.zip\" D:\\SQL Backup", {"D:\\SQL Backup\\db_y.zip", "D:\\SQL Backup"},
       "after a quoted archive, an unquoted folder is joined"},
      {"D:\\SQL Backup\\db_y.zip \"D:\\SQL Backup\"", {"D:\\SQL Backup\\db_y.zip", "D:\\SQL Backup"},
       "an unquoted archive before a quoted folder"},
      {"\"D:\\SQL\" Backup\\db_y.zip D:\\out", {"D:\\SQL", "Backup\\db_y.zip", "D:\\out"},
       "a quoted part is never joined with the next"},
  };
  for (const Row& row : rows) {
    std::vector<RawArgument> args = SplitCommandLine(row.args);
    JoinSplitPaths(fs, args);
    std::vector<std::string> texts;
    for (const RawArgument& a : args) texts.push_back(a.text);
    EXPECT_EQ(texts, row.expected) << row.why;
  }
  // The restore's own command line, unquoted, with the folder D:\SQL beside the archive's.
  fs.AddFile("D:\\sql\\db_z.bak", Compressible(5000));
  ASSERT_EQ(RunLine(fs, "rar a -df \"D:\\SQL Backup\\db_z.zip\" \"D:\\sql\\db_z.bak\"").code, kExitSuccess);
  EXPECT_EQ(RunLine(fs, "rar.exe  e -y D:\\SQL Backup\\db_z.zip D:\\SQL Backup").code, kExitSuccess);
  EXPECT_EQ(fs.FileContent("D:\\SQL Backup\\db_z.bak"), Compressible(5000));
}

// Real files, read back by independent ZIP readers: ZIP64 (by lowered limits, many entries)
// and a multi-chunk deflate stream.
TEST(RarArchive, RealArchivesPassIndependentReaders) {
  const char* root = std::getenv("DORVIK_TEST_ROOT");
  const std::string base = std::string(root != nullptr ? root : "/tmp") + "/rar_archive_test";
  ASSERT_EQ(std::system(("rm -rf '" + base + "' && mkdir -p '" + base + "/src/中'").c_str()), 0);
  IFileSystem* fs = &RealFileSystem();
  for (int i = 0; i < 40; ++i) {
    std::ofstream(base + "/src/f" + std::to_string(i) + ".txt") << Compressible(100 + i * 37);
  }
  std::ofstream(base + "/src/中/big.dat", std::ios::binary) << Compressible(300000) << Random(200000, 4);
  ZipLimits small;
  small.firstTooBig32 = 2000;
  small.firstTooMany16 = 10;
  ASSERT_EQ(RunLine(*fs, "rar a -r " + base + "/z64.zip " + base + "/src", small, 65536).code, kExitSuccess);
  ASSERT_EQ(RunLine(*fs, "rar a -r " + base + "/plain.zip " + base + "/src", ZipLimits(), 65536).code, kExitSuccess);
  for (const char* name : {"z64.zip", "plain.zip"}) {
    const std::string archive = base + "/" + name;
    EXPECT_EQ(std::system(("python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                           "sys.exit(z.testzip() is not None or len(z.namelist()) != 43)\" " + archive).c_str()), 0)
        << name;
    if (std::system("command -v unzip >/dev/null") == 0) {
      EXPECT_EQ(std::system(("unzip -tqq " + archive + " >/dev/null").c_str()), 0) << name;
    }
    if (std::system("command -v 7z >/dev/null") == 0) {
      EXPECT_EQ(std::system(("7z t " + archive + " >/dev/null").c_str()), 0) << name;
    }
  }
  if (!HasFailure()) EXPECT_EQ(std::system(("rm -rf '" + base + "'").c_str()), 0);  // kept for a look
}
