// The machine's file system as the archiver streams through it, and the reasons it gives for
// failures (POSIX natively, Win32 under Wine).
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/file_system.h"

using namespace dorvik;

namespace {

std::string Scratch(const char* name) {
  const char* root = std::getenv("DORVIK_TEST_ROOT");
  const std::string folder = std::string(root ? root : ".") + "\\" + name;
  IFileSystem& fs = RealFileSystem();
  for (const DirectoryEntry& entry : fs.ListDirectory(folder)) fs.RemoveFile(folder + "\\" + entry.name);
  EXPECT_TRUE(fs.MakeDirectory(folder));
  return folder;
}

std::string ReadAll(IFile& file) {
  std::string content;
  char buffer[3];
  std::size_t got = 0;
  while (file.Read(buffer, sizeof buffer, &got) && got > 0) content.append(buffer, got);
  return content;
}

}  // namespace

TEST(FileSystem, StreamsReplacesAndStamps) {
  IFileSystem& fs = RealFileSystem();
  const std::string folder = Scratch("fs_stream");
  const std::string temp = folder + "\\new.tmp", target = folder + "\\数据.zip";

  std::unique_ptr<IFile> out = fs.CreateNewFile(temp);
  ASSERT_TRUE(out);
  EXPECT_FALSE(fs.CreateNewFile(temp)) << "an existing file is never overwritten";
  EXPECT_TRUE(out->Write("header--", 8));
  EXPECT_TRUE(out->Write("body", 4));
  EXPECT_TRUE(out->WriteAt(6, "OK", 2)) << "positioned: the stream goes on where it was";
  EXPECT_TRUE(out->Write("!", 1));
  EXPECT_EQ(out->Size(), 13u);
  EXPECT_TRUE(out->Close());

  ASSERT_TRUE(fs.AppendToFile(target, "old archive"));
  EXPECT_TRUE(fs.MoveOver(temp, target)) << "replaces what was there";
  EXPECT_FALSE(fs.Exists(temp));
  std::unique_ptr<IFile> in = fs.OpenForReading(target);
  ASSERT_TRUE(in);
  EXPECT_EQ(ReadAll(*in), "headerOKbody!");
  char middle[2];
  EXPECT_TRUE(in->ReadAt(6, middle, 2));
  EXPECT_EQ(std::string(middle, 2), "OK");
  EXPECT_FALSE(in->ReadAt(12, middle, 2)) << "past the end";
  EXPECT_TRUE(in->Close());

  const std::int64_t stamp = 1714550407;  // 2024-05-01 08:00:07 UTC
  EXPECT_TRUE(fs.SetLastWriteTime(target, stamp));
  DirectoryEntry entry;
  ASSERT_TRUE(fs.Stat(target, &entry));
  EXPECT_EQ(entry.name, "数据.zip");
  EXPECT_FALSE(entry.isDirectory);
  EXPECT_EQ(entry.size, 13u);
  EXPECT_EQ(entry.lastWriteTime, stamp);
}

// Every failure leaves the system's reason, with its number, for the message that reports it.
TEST(FileSystem, FailuresSayWhy) {
  IFileSystem& fs = RealFileSystem();
  const std::string folder = Scratch("fs_fail");
  const std::string missing = folder + "\\gone\\x";
  struct Row {
    bool bFailed;
    const char* why;
  } rows[] = {
      {!fs.MakeDirectory(missing), "a folder under a missing one"},
      {!fs.AppendToFile(missing, "x"), "a file under a missing folder"},
      {!fs.RemoveFile(missing), "deleting what is not there"},
      {!fs.RemoveEmptyDirectory(missing), "removing a missing folder"},
      {!fs.OpenForReading(missing), "opening a missing file"},
      {!fs.MoveOver(missing, folder + "\\y"), "moving a missing file"},
  };
  for (const Row& row : rows) EXPECT_TRUE(row.bFailed) << row.why;
  // Rows run in order, so the text is that of the last one; each call above set it anew.
  const std::string text = fs.LastErrorText();
  EXPECT_NE(text.find("("), std::string::npos) << text;
  EXPECT_GT(text.size(), 4u) << "the system's words before the number";

  std::vector<DirectoryEntry> entries;
  EXPECT_FALSE(fs.ListDirectory(missing, &entries)) << "a missing folder cannot be listed";
  EXPECT_TRUE(fs.ListDirectory(missing).empty());
}
