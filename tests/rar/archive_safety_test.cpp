// The archiver under unlucky and hostile conditions: a disk that damages what was written, files
// that change or are locked while they are read, names that are not ours, crafted archives.
#include <gtest/gtest.h>

#include <functional>

#include "tests/common/fake_file_system.h"
#include "tests/rar/rar_run.h"
#include "tools/rar/exit_codes.h"
#include "tools/rar/temp_name.h"
#include "tools/rar/zip_format.h"

using namespace dorvik;
using namespace dorvik::rar;

namespace {

// Forwards to the real fake file, notes its size and damages it as it is closed, as a failing
// disk would.
class CDamagedFile : public IFile {
 public:
  CDamagedFile(std::unique_ptr<IFile> file, std::function<void(IFile&)> damage)
      : m_file(std::move(file)), m_damage(std::move(damage)) {}
  bool Read(char* buffer, std::size_t size, std::size_t* got) override { return m_file->Read(buffer, size, got); }
  bool Write(const char* data, std::size_t size) override { return m_file->Write(data, size); }
  bool ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    return m_file->ReadAt(offset, buffer, size);
  }
  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    return m_file->WriteAt(offset, data, size);
  }
  std::uint64_t Size() override { return m_file->Size(); }
  bool Truncate(std::uint64_t size) override { return m_file->Truncate(size); }
  bool Close() override {
    m_damage(*m_file);
    return m_file->Close();
  }

 private:
  std::unique_ptr<IFile> m_file;
  std::function<void(IFile&)> m_damage;
};

// A fake file system whose new files are damaged on closing, and whose files can be changed
// by "another program" just as they are opened for reading.
class CUnluckyFileSystem : public CFakeFileSystem {
 public:
  std::function<void(IFile&)> damage;
  std::function<void(const std::string& path)> onOpen;
  std::uint64_t nLargestWritten = 0;  // the largest new file, when it was closed

  std::unique_ptr<IFile> CreateNewFile(const std::string& path) override {
    std::unique_ptr<IFile> file = CFakeFileSystem::CreateNewFile(path);
    if (!file) return file;
    return std::unique_ptr<IFile>(new CDamagedFile(std::move(file), [this](IFile& f) {
      if (f.Size() > nLargestWritten) nLargestWritten = f.Size();
      if (damage) damage(f);
    }));
  }
  std::unique_ptr<IFile> OpenForReading(const std::string& path) override {
    std::unique_ptr<IFile> file = CFakeFileSystem::OpenForReading(path);
    if (file && onOpen) onOpen(path);
    return file;
  }
};

void FlipByte(IFile& file, std::uint64_t offset) {
  char c = 0;
  ASSERT_TRUE(file.ReadAt(offset, &c, 1));
  c = static_cast<char>(c ^ 0x20);
  ASSERT_TRUE(file.WriteAt(offset, &c, 1));
}

bool LeavesNoTemporary(CFakeFileSystem& fs) {
  for (const std::string& path : fs.ListTree("D:")) {
    if (path.find(".tmp") != std::string::npos) return false;
  }
  return true;
}

}  // namespace

// What was written is read back from the file: any damage fails the run with a write error,
// the old archive stays as it was and -df deletes nothing. So does an old entry whose data is
// damaged (it would be copied unchecked otherwise).
TEST(RarVerify, DamagedWritesFailAndLeaveTheOldArchiveAndSources) {
  struct Row {
    const char* what;
    std::function<void(IFile&)> damage;  // null: a data byte of the old archive is flipped instead
    const char* found;  // what the check reports
  } rows[] = {
      {"a flipped data byte", [](IFile& f) { FlipByte(f, 60); }, "the data of db_x.bak differs"},
      {"a flipped byte in the new entry's data", [](IFile& f) { FlipByte(f, f.Size() - 200); }, "the data of db_y.bak differs"},
      {"a flipped byte in a local header's name", [](IFile& f) { FlipByte(f, kLocalHeaderFixedSize + 1); }, "the local header of db_x.bak"},
      {"a flipped CRC in the directory", [](IFile& f) { FlipByte(f, f.Size() - kEndRecordSize - kCentralHeaderFixedSize - 8 + 16); }, "its directory differs"},
      {"the end cut off", [](IFile& f) { f.Truncate(f.Size() - 10); }, "bytes long instead of"},
      {"half the file lost", [](IFile& f) { f.Truncate(f.Size() / 2); }, "bytes long instead of"},
      {"a byte too many", [](IFile& f) { ASSERT_TRUE(f.WriteAt(f.Size(), "x", 1)); }, "bytes long instead of"},
      {"an old entry's data damaged", nullptr, "the data of db_x.bak does not read back"},
  };
  for (const Row& row : rows) {
    CUnluckyFileSystem fs;
    fs.AddFile("D:\\sql\\db_x.bak", Compressible(50000));
    fs.AddFile("D:\\sql\\db_y.bak", Random(3000, 7));
    ASSERT_EQ(RunLine(fs, "rar a D:\\sql\\db.zip D:\\sql\\db_x.bak").code, kExitSuccess);
    if (!row.damage) {
      std::string old = fs.FileContent("D:\\sql\\db.zip");
      old[60] = static_cast<char>(old[60] ^ 0x20);
      fs.AddFile("D:\\sql\\db.zip", old);
    }
    const std::string before = fs.FileContent("D:\\sql\\db.zip");
    fs.damage = row.damage;
    const RunResult r = RunLine(fs, "rar.exe  a -r -m5 -o+ -ibck -y -ilog -k -df \"D:\\sql\\db.zip\" \"D:\\sql\\db_y.bak\"");
    EXPECT_EQ(r.code, kExitWrite) << row.what << ": " << r.err;
    EXPECT_NE(r.err.find("the written archive does not read back: "), std::string::npos) << row.what << ": " << r.err;
    EXPECT_NE(r.err.find(row.found), std::string::npos) << row.what << ": " << r.err;
    EXPECT_EQ(fs.FileContent("D:\\sql\\db.zip"), before) << row.what;
    EXPECT_TRUE(fs.Exists("D:\\sql\\db_y.bak")) << row.what;
    EXPECT_TRUE(LeavesNoTemporary(fs)) << row.what;
  }
}

// A file is stored whole as it was read; one that changed while it was read, or after it was
// read and before the sources are deleted, is reported and kept with -df, while its unchanged
// neighbour goes.
TEST(RarAdd, FilesChangedWhileReadAreReportedAndKept) {
  const std::string grown = Compressible(204000);
  struct Row {
    const char* what;
    std::size_t initial;
    std::size_t chunk;
    std::function<void(CFakeFileSystem&, const std::string&)> change;
    std::string stored;
    bool bAfterRead;  // changed as the archive is closed, when every file has been read
  } rows[] = {
      {"a small file grew", 10, 1 << 20,
       [&](CFakeFileSystem& fs, const std::string& p) { fs.AppendToFile(p, grown.substr(10)); }, grown, false},
      {"a file of several chunks grew", 5000, 4096,
       [&](CFakeFileSystem& fs, const std::string& p) { fs.AppendToFile(p, grown.substr(5000)); }, grown, false},
      {"written to, same size", 10, 1 << 20,
       [](CFakeFileSystem& fs, const std::string& p) { fs.SetLastWriteTime(p, 12345); }, grown.substr(0, 10), false},
      {"written to after it was read", 10, 1 << 20,
       [](CFakeFileSystem& fs, const std::string& p) { fs.SetLastWriteTime(p, 12345); }, grown.substr(0, 10), true},
  };
  for (const Row& row : rows) {
    CUnluckyFileSystem fs;
    fs.AddFile("D:\\data\\log.txt", grown.substr(0, row.initial));
    fs.AddFile("D:\\data\\calm.txt", "calm");
    if (row.bAfterRead) {
      fs.damage = [&](IFile&) { row.change(fs, "D:\\data\\log.txt"); };
    } else {
      fs.onOpen = [&](const std::string& path) {
        if (path == "D:\\data\\log.txt") row.change(fs, path);
      };
    }
    const RunResult r = RunLine(fs, "rar a -r -df D:\\d.zip D:\\data\\*.*", ZipLimits(), row.chunk);
    EXPECT_EQ(r.code, kExitWarning) << row.what << ": " << r.err;
    EXPECT_NE(r.err.find(row.bAfterRead ? "log.txt changed after it was read: archived as read, kept on disk"
                                        : "log.txt changed while it was read"),
              std::string::npos)
        << row.what << ": " << r.err;
    EXPECT_TRUE(fs.Exists("D:\\data\\log.txt")) << row.what << ": never deleted";
    EXPECT_FALSE(fs.Exists("D:\\data\\calm.txt")) << row.what;
    fs.onOpen = nullptr;
    fs.damage = nullptr;
    fs.AddFolder("D:\\out");
    ASSERT_EQ(RunLine(fs, "rar e D:\\d.zip D:\\out").code, kExitSuccess) << row.what;
    EXPECT_EQ(fs.FileContent("D:\\out\\log.txt"), row.stored) << row.what;
  }
}

// A locked file in an update: its old entry stays in the archive, the failure is still reported.
TEST(RarAdd, UpdateKeepsTheOldEntryOfAFileThatCannotBeRead) {
  CFakeFileSystem fs;
  fs.AddFile("D:\\web\\a.txt", "old a");
  fs.AddFile("D:\\web\\b.txt", "old b");
  ASSERT_EQ(RunLine(fs, "rar a -r -o+ D:\\w.zip D:\\web").code, kExitSuccess);
  fs.AddFile("D:\\web\\a.txt", "new a");
  fs.AddFile("D:\\web\\b.txt", "new b");
  fs.FailOn("D:\\web\\a.txt");  // held open by another program
  EXPECT_EQ(RunLine(fs, "rar a -r -o+ -df D:\\w.zip D:\\web").code, kExitOpen);
  fs.AddFolder("D:\\out");
  ASSERT_EQ(RunLine(fs, "rar x D:\\w.zip D:\\out").code, kExitSuccess);
  EXPECT_EQ(fs.FileContent("D:\\out\\web\\a.txt"), "old a");
  EXPECT_EQ(fs.FileContent("D:\\out\\web\\b.txt"), "new b");
  EXPECT_EQ(Entries(fs, "D:\\w.zip").size(), 3u) << "web/, a.txt, b.txt, no duplicates";
}

TEST(RarTempNames, AreOursAloneAndNeverTakeAUsersFile) {
  const std::string ours = TemporaryNameFor("D:\\x\\db.zip", 4321, 0xABCDEFull);
  for (const std::string& name : {std::string("D:\\x\\db.zip.rartmp"), std::string("D:\\x\\db.zip.dvk12-xyz.tmp"),
                                  std::string("D:\\x\\b.zip.dvk12-00ab.tmp")}) {
    EXPECT_FALSE(IsTemporaryNameFor("D:\\x\\db.zip", name)) << name;
  }
  EXPECT_TRUE(IsTemporaryNameFor("D:\\X\\DB.ZIP", ours)) << ours;

  // Users' files with the names temporary files used to have survive every run.
  CFakeFileSystem fs;
  fs.AddFile("D:\\x\\report", "report");
  fs.AddFile("D:\\x\\db.zip.rar0.tmp", "mine 1");
  ASSERT_EQ(RunLine(fs, "rar a D:\\x\\db.zip D:\\x\\report").code, kExitSuccess);
  fs.AddFile("D:\\y\\report.rartmp", "mine 2");
  for (const char* line : {"rar e -o- D:\\x\\db.zip D:\\y", "rar e -y D:\\x\\db.zip D:\\y"}) {
    EXPECT_EQ(RunLine(fs, line).code, kExitSuccess) << line;
  }
  EXPECT_EQ(fs.FileContent("D:\\y\\report"), "report");
  EXPECT_EQ(fs.FileContent("D:\\y\\report.rartmp"), "mine 2");
  EXPECT_EQ(fs.ListTree("D:"), (std::vector<std::string>{"D:\\x", "D:\\x\\db.zip", "D:\\x\\db.zip.rar0.tmp",
                                                         "D:\\x\\report", "D:\\y", "D:\\y\\report",
                                                         "D:\\y\\report.rartmp"}));
  EXPECT_EQ(fs.FileContent("D:\\x\\db.zip.rar0.tmp"), "mine 1");
}

// Crafted archives: an entry that unpacks to more than it declares, and entries sharing one
// stream. Both fail before the disk fills, and leave nothing behind.
TEST(RarExtract, RefusesEntriesLargerThanDeclaredAndSharedData) {
  const std::string raw = Compressible(300000);
  // One stored entry whose directory record declares fewer bytes than its data holds.
  auto craft = [&](std::uint64_t declared, int nEntries) {
    ZipEntry entry;
    entry.name = "db.bak";
    entry.method = kMethodStored;
    entry.compressedSize = raw.size();
    entry.uncompressedSize = declared;
    std::string bytes = BuildLocalHeader(entry) + raw;
    const std::uint64_t central = bytes.size();
    for (int i = 0; i < nEntries; ++i) {
      entry.name = "db" + std::to_string(i) + ".bak";
      bytes += BuildCentralHeader(entry, ZipLimits());
    }
    return bytes + BuildEndRecords(nEntries, central, bytes.size() - central, ZipLimits());
  };
  struct Row {
    const char* what;
    std::string archive;
    int code;
    std::uint64_t nMostWritten;
  } rows[] = {
      {"declares 100 bytes", craft(100, 1), kExitCrc, 100},
      {"twelve entries, one stream", craft(raw.size(), 12), kExitFatal, 0},
  };
  for (const Row& row : rows) {
    CUnluckyFileSystem fs;
    fs.AddFile("D:\\bomb.zip", row.archive);
    fs.AddFolder("D:\\out");
    EXPECT_EQ(RunLine(fs, "rar x -y D:\\bomb.zip D:\\out").code, row.code) << row.what;
    EXPECT_EQ(RunLine(fs, "rar t D:\\bomb.zip").code, row.code) << row.what;
    EXPECT_TRUE(fs.ListTree("D:\\out").empty()) << row.what;
    EXPECT_LE(fs.nLargestWritten, row.nMostWritten) << row.what;
  }
}
