// The machine's file system as the archiver streams through it, and the reasons it gives for
// failures (POSIX natively, Win32 under Wine).
#include <gtest/gtest.h>

#include <algorithm>
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

std::string LastPathComponentOf(const std::string& path) {
  const std::string::size_type slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

namespace {

void RemoveTree(IFileSystem& fs, const std::string& folder) {
  for (const DirectoryEntry& entry : fs.ListDirectory(folder)) {
    const std::string path = folder + "\\" + entry.name;
    if (entry.isDirectory) {
      RemoveTree(fs, path);
    } else {
      EXPECT_TRUE(fs.RemoveFile(path)) << fs.NameToUtf8(path);
    }
  }
  EXPECT_TRUE(fs.RemoveEmptyDirectory(folder)) << fs.NameToUtf8(folder);
}

}  // namespace

// Names GBK cannot spell, trailing dots and blanks and paths past 260 characters are reached,
// listed under names that map back to the same UTF-8, and removed.
TEST(FileSystem, ReachesAnyNameAndLongPaths) {
  IFileSystem& fs = RealFileSystem();
  const std::string top = Scratch("fs_names");
  RemoveTree(fs, top);
  ASSERT_TRUE(fs.MakeDirectory(top));
  const std::string utf8Names[] = {"emoji_\xF0\x9F\x98\x80.txt", "korean_\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4.txt",
                                   "arabic_\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7.txt", "dot.", "blank ",
                                   "\xE6\x95\xB0\xE6\x8D\xAE.txt"};
  for (const std::string& utf8 : utf8Names) {
    ASSERT_TRUE(fs.AppendToFile(top + "\\" + fs.NameFromUtf8(utf8), utf8)) << utf8;
  }
  if (fs.UsesWindowsPaths()) {
    EXPECT_EQ(fs.NameFromUtf8(utf8Names[0]), "emoji_\xFF" "D83D\xFF" "DE00.txt");
    EXPECT_EQ(fs.NameFromUtf8(utf8Names[5]), "数据.txt");
  }
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(fs.ListDirectory(top, &entries));
  std::vector<std::string> listed;
  for (const DirectoryEntry& entry : entries) {
    listed.push_back(fs.NameToUtf8(entry.name));
    std::string content;
    EXPECT_TRUE(fs.ReadWholeFile(top + "\\" + entry.name, &content));
    EXPECT_EQ(content, listed.back()) << "the listed name opens the same file";
  }
  std::sort(listed.begin(), listed.end());
  std::vector<std::string> expected(std::begin(utf8Names), std::end(utf8Names));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);

  std::string deep = top;
  for (int level = 0; level < 20; ++level) {
    deep += "\\level_" + std::to_string(level) + "_abcdefgh.";
    ASSERT_TRUE(fs.MakeDirectory(deep)) << deep.size();
  }
  deep += "\\" + fs.NameFromUtf8(utf8Names[0]);
  EXPECT_GT(deep.size(), 300u);
  std::unique_ptr<IFile> file = fs.CreateNewFile(deep);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->Write("deep", 4));
  EXPECT_TRUE(file->Close());
  std::string real;
  ASSERT_TRUE(fs.FindRealPath(deep, &real));
  EXPECT_EQ(LastPathComponentOf(real), LastPathComponentOf(deep));
  DirectoryEntry info;
  ASSERT_TRUE(fs.Stat(deep, &info));
  EXPECT_EQ(info.size, 4u);

  RemoveTree(fs, top);
  EXPECT_FALSE(fs.Exists(top));
}
