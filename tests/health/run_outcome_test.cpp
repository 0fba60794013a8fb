// What the service takes from a finished run: the file job's messages, the outputs' sizes, and
// the outputs Backup.exe logged for a SQL Server task.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "health/run_outcome.h"
#include "tests/common/fake_file_system.h"

namespace dorvik {
namespace {

class CCountingReporter : public IFileJobReporter {
 public:
  void UpdateTaskStatus(const std::string&) override { ++nCalls; }
  void ReportSuccess(const std::string&) override { ++nCalls; }
  void ReportFailure(const std::string&) override { ++nCalls; }
  void RunEnded() override { ++nCalls; }
  int nCalls = 0;
};

TEST(RunOutcome, FileJobMessages) {
  CCountingReporter inner;
  CRunOutcomeReporter copyThenArchive(inner);
  copyThenArchive.ReportSuccess("操作成功！备份文件：D:\\bak\\2024-5-1\\file_web_20240501080000");
  copyThenArchive.ReportSuccess("操作成功！备份文件：D:\\bak\\2024-5-1\\file_web_20240501080000.zip");
  copyThenArchive.RunEnded();
  EXPECT_TRUE(copyThenArchive.Succeeded());
  EXPECT_EQ(copyThenArchive.Outputs(), (std::vector<std::string>{"D:\\bak\\2024-5-1\\file_web_20240501080000",
                                                                 "D:\\bak\\2024-5-1\\file_web_20240501080000.zip"}));
  EXPECT_EQ(inner.nCalls, 3) << "everything is passed on";

  CRunOutcomeReporter failed(inner);
  failed.ReportFailure("源文件路径不存在");
  failed.ReportFailure("备份失败：没有生成备份文件 D:\\x.zip");
  EXPECT_FALSE(failed.Succeeded());
  EXPECT_EQ(failed.Failure(), "源文件路径不存在\n备份失败：没有生成备份文件 D:\\x.zip");

  CRunOutcomeReporter silent(inner);
  silent.RunEnded();
  EXPECT_FALSE(silent.Succeeded()) << "a run that names no output made no backup";
  EXPECT_EQ(silent.Failure(), "备份未完成，没有生成备份文件");
}

TEST(RunOutcome, OutputBytes) {
  CFakeFileSystem files;
  files.AddFile("D:\\bak\\a.zip", std::string(700, 'z'));
  files.AddFile("D:\\bak\\copy\\one.txt", "12345");
  files.AddFile("D:\\bak\\copy\\sub\\two.txt", "123");
  files.AddFile("D:\\outside\\big.bin", std::string(1000, 'b'));
  files.AddLink("D:\\bak\\copy\\link", "D:\\outside");
  EXPECT_EQ(OutputBytes(files, "D:\\bak\\a.zip"), 700u);
  EXPECT_EQ(OutputBytes(files, "D:\\bak\\copy"), 8u) << "links are not followed";
  EXPECT_EQ(OutputBytes(files, "D:\\bak\\gone.zip"), 0u);
}

TEST(RunOutcome, LoggedSqlOutputs) {
  const std::string log =
      "shop               2024-05-01 02:59:59    D:\\sql\\shop\\2024-5-1\\db_old_20240501025959.bak\r\n"
      "shop               2024-05-01 03:00:00    D:\\sql\\shop\\2024-5-1\\db_a b_20240501030000.bak\r\n"
      "shopping           2024-05-01 03:00:00    D:\\sql\\shopping\\2024-5-1\\db_x_20240501030000.bak\r\n"
      "7                  2024-05-01 03:00:01    D:\\src                            D:\\bak\\file_src.zip\r\n"
      "shop               2024-05-01 03:00:02    D:\\sql\\shop\\2024-5-1\\db_b_20240501030002.zip";
  EXPECT_EQ(LoggedSqlOutputs(log, "shop", "2024-05-01 03:00:00"),
            (std::vector<std::string>{"D:\\sql\\shop\\2024-5-1\\db_a b_20240501030000.bak",
                                      "D:\\sql\\shop\\2024-5-1\\db_b_20240501030002.zip"}));
}

}  // namespace
}  // namespace dorvik
