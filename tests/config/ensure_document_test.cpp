#include <gtest/gtest.h>

#include <set>

#include "config/document.h"
#include "config/ensure_document.h"
#include "config/scramble.h"
#include "tests/config/fake_config_file.h"
#include "tests/config/fake_config_reactions.h"
#include "tests/jobs/fixed_clock.h"

using namespace dorvik;

namespace {

struct Machine {
  CFakeConfigFile file;
  CFakeConfigReactions reactions;
  std::set<std::string> paths;
  ConfigStartup startup;
  CFixedClock clock{MakeLocalTime(2024, 5, 1, 8, 3, 9)};

  EnsureResult Run() {
    return EnsureConfigDocument(file, reactions,
                                [this](const std::string& p) { return paths.count(p) > 0; },
                                clock, &startup);
  }
};

const char kDamaged[] = "配置文件被损坏！请重启应用程序。";

}  // namespace

TEST(EnsureConfigDocument, CreatesTheDefaultDocumentInItsScrambledForm) {
  Machine m;
  m.paths = {"D:\\Program Files\\WinRAR\\rar.exe", "E:\\Program Files\\WinRAR\\rar.exe"};
  ASSERT_EQ(m.Run(), EnsureResult::Ready);
  const std::string expected =
      "<rarpath>D:\\Program Files\\WinRAR\\rar.exe</rarpath><defStorePath></defStorePath>"
      "<FileBackups>|||</FileBackups><SqlBackups>|||</SqlBackups>";
  EXPECT_EQ(m.file.Document(), expected) << "the first default place that exists";
  ASSERT_EQ(m.file.strStored.size(), 2 * expected.size());
  for (unsigned char b : m.file.strStored) {
    EXPECT_GE(b, 140);
    EXPECT_LE(b, 182);
  }
  EXPECT_EQ(m.reactions.nArchiverAsked, 0);
  EXPECT_EQ(m.startup.strRarDir, "D:\\Program Files\\WinRAR\\");
  EXPECT_TRUE(m.startup.fileTaskRecords.empty());
  EXPECT_EQ(m.startup.nNextFileTaskId, 0);
  EXPECT_TRUE(m.reactions.messages.empty());
}

TEST(EnsureConfigDocument, AsksForTheArchiverWhenNoDefaultPlaceHasOne) {
  Machine cancelled;
  EXPECT_EQ(cancelled.Run(), EnsureResult::Ended);
  EXPECT_EQ(cancelled.reactions.nArchiverAsked, 1);
  EXPECT_EQ(cancelled.reactions.nEnded, 1);
  EXPECT_FALSE(cancelled.file.bExists) << "cancelling creates nothing";
  EXPECT_TRUE(cancelled.reactions.messages.empty());

  Machine chosen;
  chosen.reactions.strArchiverAnswer = "F:\\tools\\rar.exe";
  chosen.paths = {"F:\\tools\\rar.exe"};
  EXPECT_EQ(chosen.Run(), EnsureResult::Ready);
  EXPECT_EQ(chosen.file.Document(), DefaultConfigDocument("F:\\tools\\rar.exe"));
}

TEST(EnsureConfigDocument, CreationFailureLoadsNoTasks) {
  Machine m;
  m.paths = {"C:\\Program Files\\WinRAR\\rar.exe"};
  m.file.bWriteFails = true;
  EXPECT_EQ(m.Run(), EnsureResult::NotLoaded);
  ASSERT_EQ(m.reactions.messages.size(), 1u);
  EXPECT_EQ(m.reactions.messages[0], std::make_pair(std::string("创建文件出错！"), MessageIcon::Stop));
  EXPECT_EQ(m.reactions.nEnded, 0);
}

TEST(EnsureConfigDocument, DamageChecksInOrder) {
  const std::string r = "<rarpath>C:\\rar.exe</rarpath>";
  const std::string f = "<FileBackups>|||</FileBackups>";
  const std::string s = "<SqlBackups>|||</SqlBackups>";
  struct Case { std::string stored; MessageIcon icon; const char* why; } cases[] = {
      {ScrambleText("plain") + "x", MessageIcon::Stop, "scrambled garbage"},
      {r + f + s, MessageIcon::Stop, "a plain-text config.db unscrambles into no tags"},
      {ScrambleText("<rarpath>" + f + s), MessageIcon::Stop, "no </rarpath>"},
      {ScrambleText(r + "<FileBackups>|||" + s), MessageIcon::None, "no </FileBackups>"},
      {ScrambleText(r + f + "<SqlBackups>|||"), MessageIcon::None, "no </SqlBackups>"},
      {ScrambleText(r + s), MessageIcon::None, "no FileBackups at all"},
      {"", MessageIcon::Stop, "an empty file"},
  };
  for (const Case& c : cases) {
    Machine m;
    m.file.bExists = true;
    m.file.strStored = c.stored;
    EXPECT_EQ(m.Run(), EnsureResult::Ended) << c.why;
    ASSERT_EQ(m.reactions.messages.size(), 1u) << c.why;
    EXPECT_EQ(m.reactions.messages[0].first,
              std::string(kDamaged) + "\n损坏的文件已另存为：config.db.damaged-20240501-080309")
        << c.why;
    EXPECT_EQ(m.reactions.messages[0].second, c.icon) << c.why;
    EXPECT_FALSE(m.file.bExists) << c.why << ": moved away, so the next start begins afresh";
    EXPECT_EQ(m.file.movedAside["config.db.damaged-20240501-080309"], c.stored)
        << c.why << ": every byte kept for recovery by hand";
    EXPECT_EQ(m.reactions.nEnded, 1) << c.why;
  }
}

TEST(EnsureConfigDocument, ADamagedFileThatCannotBeMovedIsKeptInPlace) {
  Machine m;
  m.file.SetDocument("<rarpath>C:\\rar.exe</rarpath>");
  m.file.bMoveFails = true;
  EXPECT_EQ(m.Run(), EnsureResult::Ended);
  ASSERT_EQ(m.reactions.messages.size(), 1u);
  EXPECT_EQ(m.reactions.messages[0].first,
            std::string(kDamaged) +
                "\n无法将损坏的文件另存为：config.db.damaged-20240501-080309，它仍留在原处。");
  EXPECT_TRUE(m.file.bExists) << "never deleted: it is reported again at the next start";
  EXPECT_EQ(m.reactions.nEnded, 1);
}

TEST(EnsureConfigDocument, AFailedReadKeepsTheFile) {
  Machine m;
  m.file.SetDocument(DefaultConfigDocument("C:\\rar.exe"));
  m.file.readResult = ConfigReadResult::ReadFailed;
  EXPECT_EQ(m.Run(), EnsureResult::Ended);
  ASSERT_EQ(m.reactions.messages.size(), 1u);
  EXPECT_EQ(m.reactions.messages[0].first, "读取文件错误！");
  EXPECT_TRUE(m.file.bExists) << "a file that could not be read may still hold every task";
}

TEST(EnsureConfigDocument, ReadsAnExistingDocument) {
  Machine m;
  m.paths = {"C:\\WinRAR\\rar.exe"};
  m.file.SetDocument("<rarpath>C:\\WinRAR\\rar.exe</rarpath><FileBackups>|||<m_strID>1</m_strID>"
                     "|||<m_strID>3</m_strID>|||</FileBackups><SqlBackups>|||</SqlBackups>");
  ASSERT_EQ(m.Run(), EnsureResult::Ready) << "defStorePath tags are not required";
  EXPECT_EQ(m.startup.strDefStorePath, "");
  EXPECT_EQ(m.startup.strRarDir, "C:\\WinRAR\\");
  EXPECT_EQ(m.startup.fileTaskRecords.size(), 2u);
  EXPECT_EQ(m.startup.nNextFileTaskId, 3);
  EXPECT_TRUE(m.reactions.messages.empty());
  EXPECT_EQ(m.file.nWrites, 0);
}

TEST(EnsureConfigDocument, AMissingArchiverIsReportedAndTheTasksKept) {
  Machine m;
  const std::string doc =
      "<rarpath>C:\\gone\\rar.exe</rarpath><defStorePath>E:\\bak</defStorePath>"
      "<FileBackups>|||<m_strID>1</m_strID>|||</FileBackups><SqlBackups>|||</SqlBackups>";
  m.file.SetDocument(doc);
  ASSERT_EQ(m.Run(), EnsureResult::Ready);
  ASSERT_EQ(m.reactions.messages.size(), 1u);
  EXPECT_EQ(m.reactions.messages[0].second, MessageIcon::Warning);
  EXPECT_EQ(m.file.Document(), doc);
  EXPECT_EQ(m.startup.strDefStorePath, "E:\\bak");
  EXPECT_EQ(m.reactions.nEnded, 0);
}
