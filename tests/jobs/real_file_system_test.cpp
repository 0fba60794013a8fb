// The machine's file system as the jobs use it (POSIX natively, Win32 under Wine).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <set>
#include <thread>
#include <vector>

#include "common/file_system.h"

using namespace dorvik;

namespace {

std::string ScratchFolder(const char* name) {
  const char* root = std::getenv("DORVIK_TEST_ROOT");
  std::string folder = std::string(root ? root : ".") + "\\" + name;
  IFileSystem& fs = RealFileSystem();
  // Left over from an earlier run: empty it (one level deep is all these tests make).
  for (const DirectoryEntry& entry : fs.ListDirectory(folder)) {
    std::string path = folder + "\\" + entry.name;
    if (entry.isDirectory) {
      for (const DirectoryEntry& inner : fs.ListDirectory(path)) fs.RemoveFile(path + "\\" + inner.name);
      fs.RemoveEmptyDirectory(path);
    } else {
      fs.RemoveFile(path);
    }
  }
  EXPECT_TRUE(fs.MakeDirectory(folder));
  return folder;
}

}  // namespace

TEST(RealFileSystem, FoldersFilesAndListing) {
  IFileSystem& fs = RealFileSystem();
  const std::string top = ScratchFolder("real_fs");
  const std::string sub = top + "\\备份目录";
  EXPECT_FALSE(fs.MakeDirectory(top + "\\a\\b")) << "one level only";
  EXPECT_TRUE(fs.MakeDirectory(sub));
  EXPECT_TRUE(fs.MakeDirectory(sub)) << "an existing folder counts as made";
  EXPECT_TRUE(fs.IsDirectory(sub));

  const std::string file = sub + "\\日志.log";
  EXPECT_TRUE(fs.AppendToFile(file, "one\r\n"));
  EXPECT_TRUE(fs.AppendToFile(file, "two\r\n"));
  EXPECT_FALSE(fs.MakeDirectory(file)) << "a file is not a folder";
  std::string content;
  EXPECT_TRUE(fs.ReadWholeFile(file, &content));
  EXPECT_EQ(content, "one\r\ntwo\r\n");
  EXPECT_TRUE(fs.Exists(file));
  EXPECT_FALSE(fs.IsDirectory(file));

  std::vector<DirectoryEntry> entries = fs.ListDirectory(top);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "备份目录");
  EXPECT_TRUE(entries[0].isDirectory);
  entries = fs.ListDirectory(sub);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "日志.log");
  EXPECT_LT(std::llabs(entries[0].lastWriteTime - static_cast<long long>(std::time(nullptr))), 120);
  EXPECT_EQ(entries[0].size, 10);

  EXPECT_FALSE(fs.RemoveEmptyDirectory(sub)) << "not empty";
  EXPECT_FALSE(fs.RemoveFile(sub)) << "a folder is not deleted as a file";
  EXPECT_TRUE(fs.RemoveFile(file));
  EXPECT_FALSE(fs.Exists(file));
  EXPECT_FALSE(fs.ReadWholeFile(file, &content));
  EXPECT_TRUE(fs.RemoveEmptyDirectory(sub));
  EXPECT_TRUE(fs.ListDirectory(top).empty());
  EXPECT_TRUE(fs.ListDirectory(top + "\\gone").empty());
}

TEST(RealFileSystem, ConcurrentAppendsStayWhole) {
  IFileSystem& fs = RealFileSystem();
  const std::string file = ScratchFolder("real_fs_append") + "\\day.log";
  const int kThreads = 4, kLines = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLines; ++i) {
        fs.AppendToFile(file, "writer " + std::to_string(t) + " line " + std::to_string(i) +
                                  std::string(200, '.') + "\r\n");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::string content;
  ASSERT_TRUE(fs.ReadWholeFile(file, &content));
  std::set<std::string> lines;
  std::string::size_type begin = 0, end;
  while ((end = content.find("\r\n", begin)) != std::string::npos) {
    lines.insert(content.substr(begin, end - begin));
    begin = end + 2;
  }
  EXPECT_EQ(begin, content.size()) << "the file ends with a whole line";
  EXPECT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
  EXPECT_TRUE(lines.count("writer 3 line 299" + std::string(200, '.')));
}

// Two runs racing for one output name: exactly one of them may make the folder.
TEST(RealFileSystem, NewFoldersAreClaimedOnceAndRealPathsFound) {
  IFileSystem& fs = RealFileSystem();
  const std::string top = ScratchFolder("real_claims");
  for (int round = 0; round < 20; ++round) {
    const std::string path = top + "\\claim" + std::to_string(round);
    bool bFirst = false, bSecond = false;
    std::thread other([&] { bSecond = fs.MakeNewFolder(path); });
    bFirst = fs.MakeNewFolder(path);
    other.join();
    EXPECT_NE(bFirst, bSecond) << path;
  }
  std::string real, realTop;
  ASSERT_TRUE(fs.FindRealPath(top, &realTop));
  ASSERT_TRUE(fs.FindRealPath(top + "\\claim0", &real));
  EXPECT_EQ(real, realTop + "\\claim0");
  EXPECT_FALSE(fs.FindRealPath(top + "\\missing", &real));
  EXPECT_FALSE(fs.RemoveLink(top + "\\claim0")) << "a plain folder is no link";
  EXPECT_TRUE(fs.IsDirectory(top + "\\claim0"));
}
