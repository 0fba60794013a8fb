#include <gtest/gtest.h>

#include <set>

#include "console/core/file_backup_start.h"

using namespace dorvik;

namespace {

std::string Record(const std::string& source, const std::string& store, const std::string& isCut) {
  return "<Check>YES</Check>    <SouPath>" + source + "</SouPath>    <DesPath>" + store +
         "</DesPath>    <strfile>!所有文件/!@指定文件/@##$备份此类型/$</strfile>    "
         "<status>-</status>    <striscut>" +
         isCut +
         "</striscut>    <strdate>每天</strdate>    "
         "<m_strtime>2</m_strtime>    <m_strID>5</m_strID>    <strissave>保留</strissave>";
}

}  // namespace

TEST(FileBackupStart, ChecksInOrderAndBuildsTheRequest) {
  const std::set<std::string> existing = {"D:\\data", "E:\\bak"};
  auto exists = [&](const std::string& path) { return existing.count(path) > 0; };
  struct Case {
    const char* source;
    const char* store;
    const char* isCut;
    const char* refusal;
    bool bArchive;
    bool bCompressAfter;
    const char* why;
  } cases[] = {
      {"D:\\data", "E:\\bak", "是", "", true, false, "archived directly"},
      {"D:\\data", "E:\\bak", "否", "", false, false, "a plain copy"},
      {"D:\\data", "E:\\bak", "备份后压缩", "", false, true, "a copy archived afterwards"},
      {"D:\\gone", "E:\\gone", "是", "源文件路径不存在！", true, false,
       "the source is checked first"},
      {"D:\\data", "E:\\gone", "是", "目标文件路径不存在！", true, false,
       "then the storage folder"},
      {"D:\\data", "E:\\bak", "压缩", "压缩出错", false, false, "an unknown compression value"},
      {"D:\\gone", "E:\\bak", "压缩", "源文件路径不存在！", false, false,
       "folders before the value"},
  };
  for (const Case& c : cases) {
    const std::string record = Record(c.source, c.store, c.isCut);
    FileBackupStart start = PrepareFileBackup(record, exists);
    EXPECT_EQ(start.strRefusal, c.refusal) << c.why;
    EXPECT_EQ(start.bArchive, c.bArchive) << c.why;
    EXPECT_EQ(start.request.bCompressAfter, c.bCompressAfter) << c.why;
    EXPECT_EQ(start.request.strRecord, record) << c.why << ": the whole record, for the status";
    EXPECT_EQ(start.request.strSouPath, c.source) << c.why;
    EXPECT_EQ(start.request.strDesPath, c.store) << c.why;
    EXPECT_EQ(start.request.strFile, "!所有文件/!@指定文件/@##$备份此类型/$") << c.why;
  }
}
