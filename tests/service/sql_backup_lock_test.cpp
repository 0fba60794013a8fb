// Two SQL Server tasks due at the same moment: their Backup.exe runs never overlap.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "jobs/process.h"
#include "service/task_watch.h"

namespace dorvik {
namespace {

// Each run takes 50 ms of real time and notes whether another run was going on meanwhile.
class CSlowRunner : public IProcessRunner {
 public:
  ProcessResult RunHiddenAndWait(const std::string&, const std::string& commandLine) override {
    if (m_nRunning.fetch_add(1) != 0) bOverlapped = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    {
      std::lock_guard<std::mutex> hold(m_csLines);
      lines.push_back(commandLine);
    }
    m_nRunning.fetch_sub(1);
    ProcessResult result;
    result.started = true;
    return result;
  }
  ProcessResult ShellOpenHiddenAndWait(const std::string&, const std::string&) override {
    return {};
  }
  std::atomic<bool> bOverlapped{false};
  std::vector<std::string> lines;

 private:
  std::atomic<int> m_nRunning{0};
  std::mutex m_csLines;
};

TEST(SqlBackupLock, DueTogetherRunOneAfterTheOther) {
  std::mutex csSqlBackup;
  CSlowRunner runner;
  auto run = [&](const char* record) {
    RunSqlBackupProgram(csSqlBackup, runner, SqlBackupProgramPath("C:\\d\\"),
                        SqlBackupCommandLine("C:\\d\\", record, "否"));
  };
  const auto start = std::chrono::steady_clock::now();
  std::thread first(run, "<id>1</id>");
  std::thread second(run, "<id>2</id>");
  first.join();
  second.join();
  EXPECT_FALSE(runner.bOverlapped);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  ASSERT_EQ(runner.lines.size(), 2u);
  EXPECT_NE(runner.lines[0], runner.lines[1]);
}

}  // namespace
}  // namespace dorvik
