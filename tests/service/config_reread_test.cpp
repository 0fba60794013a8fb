// The service's reads of config.db find every task while another thread rewrites the file over
// and over, as the console does when it saves (real files: POSIX natively, Win32 under Wine).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "config/config_file.h"
#include "config/config_store.h"
#include "config/document.h"

namespace dorvik {
namespace {

std::string Document(int round) {
  std::string files = "|||", sql = "|||";
  for (int id = 1; id <= 40; ++id) {
    files += "<Check>YES</Check>    <SouPath>D:\\数据\\部门" + std::to_string(id) +
             "</SouPath>    <status>第" + std::to_string(round) + "次</status>    <m_strID>" +
             std::to_string(id) + "</m_strID>|||";
  }
  for (int id = 1; id <= 10; ++id) {
    sql += "<Check>YES</Check>    <id>" + std::to_string(id) + "</id>    <status>" +
           std::string(static_cast<std::size_t>(round % 7), 'x') + "</status>|||";
  }
  return "<rarpath>C:\\rar.exe</rarpath><defStorePath></defStorePath><FileBackups>" + files +
         "</FileBackups><SqlBackups>" + sql + "</SqlBackups>";
}

TEST(ConfigReread, EveryTaskIsFoundWhileTheFileIsRewritten) {
  const std::string path = "service_reread_config.db";
  std::unique_ptr<IConfigFile> writerFile = MakeConfigFile(path);
  CConfigStore store(*writerFile, SilentConfigReactions());
  ASSERT_TRUE(store.SaveConfigDocument(Document(0)));

  std::atomic<bool> bDone{false};
  std::atomic<int> nSaves{0};
  std::thread writer([&] {
    for (int round = 1; !bDone; ++round) {
      if (store.SaveConfigDocument(Document(round))) ++nSaves;
    }
  });
  int nShort = 0, nReads = 0;
  // Reads go on until the writer has replaced the file many times (bounded, should it stall).
  for (; nReads < 300 || (nSaves < 50 && nReads < 200000); ++nReads) {
    std::unique_ptr<IConfigFile> file = MakeConfigFile(path);
    const std::string document = ReadConfigDocumentQuietly(*file);
    if (SplitRecords("FileBackups", document).size() != 40 ||
        SplitRecords("SqlBackups", document).size() != 10) {
      ++nShort;
    }
  }
  bDone = true;
  writer.join();
  EXPECT_EQ(nShort, 0) << nShort << " of " << nReads << " reads missed tasks, with " << nSaves
                       << " saves meanwhile";
  EXPECT_GE(nSaves.load(), 50) << "the rewrites must really overlap the reads";
  writerFile->Remove();
}

}  // namespace
}  // namespace dorvik
