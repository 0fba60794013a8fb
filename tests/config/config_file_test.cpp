// The real config file of the tree under test (POSIX natively, Win32 under Wine).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "config/config_file.h"
#include "config/config_store.h"
#include "config/document.h"
#include "config/file_task_record.h"
#include "tests/config/test_folder.h"

using namespace dorvik;

namespace {

class CConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_strPath = TestRootFolder() + "config_file_" + info->name() + ".db";
    std::remove(m_strPath.c_str());
  }
  void TearDown() override { std::remove(m_strPath.c_str()); }

  static bool FileExists(const std::string& path) { return std::ifstream(path).good(); }

  std::string m_strPath;
};

}  // namespace

TEST_F(CConfigFileTest, WritesReadsAndRemoves) {
  auto file = MakeConfigFile(m_strPath);
  std::string stored = "unchanged";
  EXPECT_FALSE(file->Exists());
  EXPECT_EQ(file->ReadStored(&stored), ConfigReadResult::OpenFailed);
  EXPECT_EQ(stored, "");
  const std::string bytes(100000, '\x8c');
  ASSERT_TRUE(file->WriteStored(bytes));
  EXPECT_TRUE(file->Exists());
  ASSERT_EQ(file->ReadStored(&stored), ConfigReadResult::Ok);
  EXPECT_EQ(stored, bytes);
  ASSERT_EQ(file->ReadStored(&stored, 10), ConfigReadResult::Ok);
  EXPECT_EQ(stored.size(), 10u);
  ASSERT_TRUE(file->WriteStored("ab"));
  ASSERT_EQ(file->ReadStored(&stored), ConfigReadResult::Ok);
  EXPECT_EQ(stored, "ab") << "a shorter save leaves no tail of the longer one";
  EXPECT_TRUE(file->Remove());
  EXPECT_FALSE(file->Exists());
}

TEST_F(CConfigFileTest, LeftoversOfAKilledWriterAreIgnoredAndCleared) {
  auto file = MakeConfigFile(m_strPath);
  ASSERT_TRUE(file->WriteStored("good"));
  const std::string leftover = m_strPath + ".4242-7.tmp";
  const std::string foreign = m_strPath + ".notes.tmp";
  std::ofstream(leftover) << "half";
  std::ofstream(foreign) << "someone else's";
  std::string stored;
  ASSERT_EQ(file->ReadStored(&stored), ConfigReadResult::Ok);
  EXPECT_EQ(stored, "good");
  file->LockForUpdate();
  EXPECT_FALSE(FileExists(leftover)) << "cleared by the next update";
  EXPECT_TRUE(FileExists(foreign)) << "only names a save could have made";
  std::remove(foreign.c_str());
}

TEST_F(CConfigFileTest, ReadersSeeTheOldOrTheNewDocumentNeverAMix) {
  auto writer = MakeConfigFile(m_strPath);
  const std::string small(1000, '\x8c');
  const std::string large(300000, '\xb6');
  ASSERT_TRUE(writer->WriteStored(small));
  std::atomic<bool> done{false};
  std::atomic<int> bad{0}, reads{0};
  std::thread reader([&] {
    auto file = MakeConfigFile(m_strPath);
    std::string stored;
    while (!done) {
      if (file->ReadStored(&stored) != ConfigReadResult::Ok) {
        ++bad;
      } else if (stored != small && stored != large) {
        ++bad;
      }
      ++reads;
    }
  });
  int failedWrites = 0;
  for (int i = 0; i < 60; ++i) {
    if (!writer->WriteStored(i % 2 ? small : large)) ++failedWrites;
  }
  done = true;
  reader.join();
  EXPECT_EQ(failedWrites, 0) << "a reader never makes a save fail";
  EXPECT_EQ(bad, 0) << "of " << reads << " reads";
}

TEST_F(CConfigFileTest, ConcurrentWritersLoseNoChanges) {
  {
    auto file = MakeConfigFile(m_strPath);
    ASSERT_TRUE(CConfigStore(*file, SilentConfigReactions())
                    .SaveConfigDocument(DefaultConfigDocument("C:\\rar.exe")));
  }
  constexpr int kThreads = 4, kEach = 15;
  std::atomic<int> failed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Each thread opens the file on its own, as separate console threads do.
      auto file = MakeConfigFile(m_strPath);
      CConfigStore store(*file, SilentConfigReactions());
      for (int i = 0; i < kEach; ++i) {
        std::string id = std::to_string(t * 100 + i);
        if (!AddFileTask(store, "<m_strID>" + id + "</m_strID>")) ++failed;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failed, 0);
  auto file = MakeConfigFile(m_strPath);
  std::vector<std::string> records = SplitRecords("FileBackups", ReadConfigDocumentQuietly(*file));
  ASSERT_EQ(records.size(), static_cast<std::size_t>(kThreads * kEach));
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kEach; ++i) {
      std::string found;
      EXPECT_TRUE(FindFileTaskRecord(records, std::to_string(t * 100 + i), &found));
    }
  }
}

TEST_F(CConfigFileTest, MovesADamagedFileAsideWithoutReplacingAnything) {
  auto file = MakeConfigFile(m_strPath);
  const std::string suffix = ".damaged-20240501-080309";
  auto content = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  ASSERT_TRUE(file->WriteStored("first"));
  std::string moved;
  ASSERT_TRUE(file->MoveAside(suffix, &moved));
  EXPECT_EQ(moved.substr(moved.size() - suffix.size()), suffix);
  EXPECT_FALSE(file->Exists());
  EXPECT_EQ(content(moved), "first");

  ASSERT_TRUE(file->WriteStored("second"));
  std::string again;
  EXPECT_FALSE(file->MoveAside(suffix, &again)) << "a second damage in the same second";
  EXPECT_EQ(again, moved);
  EXPECT_TRUE(file->Exists()) << "left where it was";
  EXPECT_EQ(content(moved), "first") << "the first copy is never replaced";
  std::remove(moved.c_str());
}
