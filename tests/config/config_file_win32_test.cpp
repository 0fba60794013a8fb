// Windows specifics of config.db: share modes, the retried replace, and the named lock.
#include "common/win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "config/config_file.h"
#include "tests/config/test_folder.h"

using namespace dorvik;

namespace {

class CConfigFileWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_strPath = TestRootFolder() + "config_win32_" + info->name() + ".db";
    DeleteFileA(m_strPath.c_str());
  }
  void TearDown() override { DeleteFileA(m_strPath.c_str()); }

  std::string ReadThrough(HANDLE handle) {
    char buffer[64];
    DWORD got = 0;
    SetFilePointer(handle, 0, nullptr, FILE_BEGIN);
    ReadFile(handle, buffer, sizeof buffer, &got, nullptr);
    return std::string(buffer, got);
  }

  std::string m_strPath;
};

}  // namespace

// Replacing a file that is open fails on Wine and on Windows without POSIX rename semantics,
// whatever the reader shares; a save retries for a while, and readers only hold it briefly.
TEST_F(CConfigFileWin32Test, ASaveWaitsForAReaderThatHoldsTheFile) {
  struct Case { DWORD share; const char* why; } cases[] = {
      {FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, "a reader like ours"},
      {FILE_SHARE_READ, "a reader that shares nothing else"},
  };
  for (const Case& c : cases) {
    auto file = MakeConfigFile(m_strPath);
    ASSERT_TRUE(file->WriteStored("old"));
    HANDLE holder = CreateFileA(m_strPath.c_str(), GENERIC_READ, c.share, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE) << c.why;
    std::string heldBytes;
    std::thread release([&] {
      Sleep(300);
      heldBytes = ReadThrough(holder);
      CloseHandle(holder);
    });
    bool written = file->WriteStored("new");
    release.join();
    EXPECT_TRUE(written) << c.why;
    EXPECT_EQ(heldBytes, "old") << c.why << ": the open reader keeps the bytes it opened";
    std::string stored;
    ASSERT_EQ(file->ReadStored(&stored), ConfigReadResult::Ok);
    EXPECT_EQ(stored, "new") << c.why;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((m_strPath + ".*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << c.why << ": no temp file is left behind";
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
  }
}

TEST_F(CConfigFileWin32Test, AReaderHoldingTheFileTooLongFailsTheSaveCleanly) {
  auto file = MakeConfigFile(m_strPath);
  ASSERT_TRUE(file->WriteStored("old"));
  HANDLE holder = CreateFileA(m_strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(file->WriteStored("new"));
  CloseHandle(holder);
  std::string stored;
  ASSERT_EQ(file->ReadStored(&stored), ConfigReadResult::Ok);
  EXPECT_EQ(stored, "old");
}

TEST_F(CConfigFileWin32Test, TheLockIsSharedByEverySpellingOfThePath) {
  auto first = MakeConfigFile(m_strPath);
  std::string upper = m_strPath;
  CharUpperA(&upper[0]);
  auto second = MakeConfigFile(upper);
  std::atomic<bool> secondHolds{false};
  auto lock = first->LockForUpdate();
  ASSERT_TRUE(lock);
  std::thread other([&] {
    auto secondLock = second->LockForUpdate();
    secondHolds = secondLock != nullptr;
  });
  Sleep(300);
  EXPECT_FALSE(secondHolds) << "held by the first writer";
  lock.reset();
  other.join();
  EXPECT_TRUE(secondHolds);
}
