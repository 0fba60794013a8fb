#include <gtest/gtest.h>

#include "config/config_store.h"
#include "config/document.h"
#include "config/record_text_check.h"
#include "config/scramble.h"
#include "tests/config/fake_config_file.h"
#include "tests/config/fake_config_reactions.h"

using namespace dorvik;

namespace {
const std::string kDoc = DefaultConfigDocument("C:\\WinRAR\\rar.exe");
}

TEST(CConfigStore, LoadFailuresShowTheirMessage) {
  struct Case { ConfigReadResult result; const char* message; } cases[] = {
      {ConfigReadResult::OpenFailed, "打开文件出错！"},
      {ConfigReadResult::SeekFailed, "文件定位出错！"},
      {ConfigReadResult::ReadFailed, "读取文件错误！"},
  };
  for (const Case& c : cases) {
    CFakeConfigFile file;
    file.SetDocument(kDoc);
    file.readResult = c.result;
    CFakeConfigReactions reactions;
    CConfigStore store(file, reactions);
    std::string document = "stale";
    EXPECT_FALSE(store.LoadConfigDocument(&document));
    EXPECT_EQ(document, "");
    ASSERT_EQ(reactions.messages.size(), 1u);
    EXPECT_EQ(reactions.messages[0].first, c.message);
    EXPECT_EQ(reactions.messages[0].second, MessageIcon::None);
  }
}

TEST(CConfigStore, WritersNeverReplaceTheDocumentAfterAFailedRead) {
  CFakeConfigFile file;
  file.SetDocument(kDoc);
  const std::string before = file.strStored;
  file.readResult = ConfigReadResult::ReadFailed;
  CConfigStore store(file, SilentConfigReactions());
  EXPECT_FALSE(store.AppendFileTaskRecord("<m_strID>1</m_strID>|||"));
  EXPECT_FALSE(store.AppendSqlTaskRecord("<id>1</id>|||"));
  EXPECT_FALSE(store.ReplaceInConfigDocument("rar", "zip"));
  EXPECT_FALSE(store.UpdateConfigDocument([](const std::string& d) { return d + "x"; }));
  EXPECT_EQ(file.nWrites, 0);
  EXPECT_EQ(file.strStored, before);
}

TEST(CConfigStore, SaveRefusesDocumentsWithoutTheirSections) {
  CFakeConfigFile file;
  CConfigStore store(file, SilentConfigReactions());
  for (const char* broken : {"", "<rarpath>x</rarpath>", "plain text",
                             "<rarpath></rarpath><FileBackups>|||</FileBackups><SqlBackups>|||"}) {
    EXPECT_FALSE(store.SaveConfigDocument(broken)) << broken;
  }
  EXPECT_EQ(file.nWrites, 0);
  ASSERT_TRUE(store.SaveConfigDocument(kDoc));
  EXPECT_EQ(file.nWritesWithoutLock, 0) << "every write happens under the update lock";

  // A damaged stored document is not rewritten by a writer either.
  file.SetDocument("<rarpath>x</rarpath><FileBackups>|||</FileBackups>");
  EXPECT_FALSE(store.ReplaceInConfigDocument("x", "y"));
  EXPECT_EQ(file.Document(), "<rarpath>x</rarpath><FileBackups>|||</FileBackups>");
}

TEST(CConfigStore, FailedWriteOrLockLeavesTheDocument) {
  CFakeConfigFile file;
  file.SetDocument(kDoc);
  CConfigStore store(file, SilentConfigReactions());
  file.bWriteFails = true;
  EXPECT_FALSE(store.ReplaceInConfigDocument("WinRAR", "Other"));
  file.bWriteFails = false;
  file.bLockFails = true;
  EXPECT_FALSE(store.ReplaceInConfigDocument("WinRAR", "Other"));
  EXPECT_EQ(file.Document(), kDoc);
}

TEST(CConfigStore, AppendsAndReplaces) {
  CFakeConfigFile file;
  file.SetDocument(kDoc + "junk");
  CConfigStore store(file, SilentConfigReactions());
  ASSERT_TRUE(store.AppendFileTaskRecord("<m_strID>1</m_strID>|||"));
  ASSERT_TRUE(store.AppendFileTaskRecord("<m_strID>2</m_strID>|||"));
  ASSERT_TRUE(store.AppendSqlTaskRecord("<id>1</id>|||"));
  EXPECT_EQ(file.Document(),
            "<rarpath>C:\\WinRAR\\rar.exe</rarpath><defStorePath></defStorePath>"
            "<FileBackups>|||<m_strID>1</m_strID>|||<m_strID>2</m_strID>|||</FileBackups>"
            "<SqlBackups>|||<id>1</id>|||</SqlBackups>")
      << "new records go last; the SQL variant drops what followed its section";

  ASSERT_TRUE(store.ReplaceInConfigDocument("|||", "||||"));
  EXPECT_EQ(file.Document(),
            "<rarpath>C:\\WinRAR\\rar.exe</rarpath><defStorePath></defStorePath>"
            "<FileBackups>||||<m_strID>1</m_strID>||||<m_strID>2</m_strID>||||</FileBackups>"
            "<SqlBackups>||||<id>1</id>||||</SqlBackups>")
      << "every non-overlapping occurrence, left to right";
  int writes = file.nWrites;
  ASSERT_TRUE(store.ReplaceInConfigDocument("absent", "x"));
  EXPECT_EQ(file.nWrites, writes) << "an unchanged document is not rewritten";
}

TEST(CConfigStore, QuietReaderIsCappedAndSilent) {
  CFakeConfigFile file;
  EXPECT_EQ(ReadConfigDocumentQuietly(file), "");
  file.SetDocument(kDoc);
  EXPECT_EQ(ReadConfigDocumentQuietly(file), kDoc);
  EXPECT_EQ(file.nLastMaxBytes, 10485760u);
  file.readResult = ConfigReadResult::ReadFailed;
  EXPECT_EQ(ReadConfigDocumentQuietly(file), "");
}

TEST(RecordTextCheck, FindsWhatWouldBreakTheStructure) {
  struct Case { const char* value; const char* found; const char* why; } cases[] = {
      {"D:\\数据\\备份", "", "an ordinary GBK path"},
      {"file,test.*", "", "a file list"},
      {"a||b", "", "two bars do not separate records"},
      {"a|||b", "|||", "splits the record"},
      {"x</SouPath>", "<", "would cut the value"},
      {"<FileBackups>", "<", "would shift the section"},
      {"a>b", ">", "half of a tag"},
      {"\x81|||", "|||", "the splitter sees a trail byte 0x7C as a bar too"},
  };
  for (const Case& c : cases) EXPECT_EQ(FindUnsafeRecordText(c.value), c.found) << c.why;
  EXPECT_EQ(UnsafeRecordTextMessage("|||"), "输入的内容不能包含“|||”，请修改后再确定。");
}
