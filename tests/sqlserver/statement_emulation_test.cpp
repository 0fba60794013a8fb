// The test server's own behaviour: parsing with SQL Server's escapes, and the results and error
// texts the programs under test will see.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "tests/sqlserver/sql_tokens.h"
#include "tests/sqlserver/statement_emulation.h"

namespace dorvik_sqlserver {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class CEmulationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* root = std::getenv("DORVIK_TEST_ROOT");
    m_dir = std::string(root ? root : "/tmp") + "/sqlserver_emulation_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::system(("rm -rf '" + m_dir + "' && mkdir -p '" + m_dir + "/out'").c_str());
    std::ofstream(m_dir + "/databases") << "shop\tshop rows\nod]d'db\todd rows\n";
  }
  std::string Messages(const std::vector<ResultPart>& parts) {
    std::string all;
    for (const ResultPart& p : parts) {
      for (const Diagnostic& d : p.diagnostics) all += (p.isError ? "E " : "I ") + d.message + "\n";
    }
    return all;
  }
  std::string m_dir;
};

TEST(SqlTokensTest, UndoesBracketAndQuoteEscapes) {
  struct Case {
    const char* statement;
    std::vector<std::string> texts;
    const char* why;
  } cases[] = {
      {"backup database [a]]b] to disk='x'", {"backup", "database", "a]b", "to", "disk", "=", "x"}, "]] is one ]"},
      {"x N'it''s'", {"x", "it's"}, "'' is one ', N prefix dropped"},
      {"[]", {""}, "empty identifier"},
      {"  a\n\tb ", {"a", "b"}, "any white space separates"},
  };
  for (const Case& c : cases) {
    std::vector<Token> tokens;
    std::string error;
    ASSERT_TRUE(Tokenize(c.statement, &tokens, &error)) << c.why;
    std::vector<std::string> texts;
    for (const Token& t : tokens) texts.push_back(t.text);
    EXPECT_EQ(c.texts, texts) << c.why;
  }
  std::vector<Token> tokens;
  std::string error;
  EXPECT_FALSE(Tokenize("select 'abc", &tokens, &error));
  EXPECT_EQ("Unclosed quotation mark after the character string 'abc'.", error);
}

TEST_F(CEmulationTest, DatabaseListHasSystemAndUserDatabasesInNameOrder) {
  std::vector<ResultPart> parts = RunStatement(CServerState(m_dir), "Select Name FROM Master..SysDatabases order BY Name ");
  ASSERT_EQ(1u, parts.size());
  EXPECT_EQ(std::vector<std::string>{"Name"}, parts[0].columns);
  std::vector<std::string> names;
  for (const auto& row : parts[0].rows) names.push_back(row[0]);
  EXPECT_EQ((std::vector<std::string>{"master", "model", "msdb", "od]d'db", "shop", "tempdb"}), names);
}

TEST_F(CEmulationTest, BackupWritesTheDatabaseAndReportsProgress) {
  std::string file = m_dir + "/out/odd.bak";
  std::vector<ResultPart> parts =
      RunStatement(CServerState(m_dir), "backup database [od]]d'db] to disk='" + file + "'");
  EXPECT_EQ("I Processed 160 pages for database 'od]d'db', file 'od]d'db' on file 1.\n"
            "I Processed 2 pages for database 'od]d'db', file 'od]d'db_log' on file 1.\n"
            "I BACKUP DATABASE successfully processed 162 pages in 0.052 seconds (25.143 MB/sec).\n",
            Messages(parts));
  EXPECT_EQ("DORVIK-SQLSERVER-BACKUP\ndatabase=od]d'db\ncontent=odd rows\n", ReadAll(file));
}

TEST_F(CEmulationTest, BackupFailuresCarryTheServersTexts) {
  std::ofstream(m_dir + "/failures") << "shop\trights\n";
  CServerState state(m_dir);
  struct Case {
    std::string statement;
    std::string messages;
    const char* why;
  } cases[] = {
      {"backup database [nosuch] to disk='" + m_dir + "/out/a.bak'",
       "E Database 'nosuch' does not exist. Make sure that the name is entered correctly.\n"
       "E BACKUP DATABASE is terminating abnormally.\n",
       "unknown database"},
      {"backup database [model] to disk='" + m_dir + "/missing/a.bak'",
       "E Cannot open backup device '" + m_dir + "/missing/a.bak'. Operating system error 3(The system cannot find the path specified.).\n"
       "E BACKUP DATABASE is terminating abnormally.\n",
       "folder missing"},
      {"backup database [shop] to disk='" + m_dir + "/out/s.bak'",
       "E BACKUP DATABASE permission denied in database 'shop'.\nE BACKUP DATABASE is terminating abnormally.\n",
       "no rights"},
      {"backup database [od]d'db] to disk='" + m_dir + "/out/a.bak'", "E Unclosed quotation mark after the character string ''.\n",
       "unescaped, the name's ] and ' break the statement"},
      {"backup database [model] to disk='Q:\\it's.bak'",
       "E Unclosed quotation mark after the character string ''.\n", "an unescaped ' ends the path early"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.messages, Messages(RunStatement(state, c.statement))) << c.why;
}

TEST_F(CEmulationTest, DiskFullFailsOnlyInTheSecondResult) {
  std::ofstream(m_dir + "/failures") << "shop\tdisk-full\n";
  std::string file = m_dir + "/out/s.bak";
  std::vector<ResultPart> parts = RunStatement(CServerState(m_dir), "backup database shop to disk='" + file + "'");
  ASSERT_EQ(2u, parts.size());
  EXPECT_FALSE(parts[0].isError);
  EXPECT_TRUE(parts[1].isError);
  struct stat st;
  EXPECT_NE(0, stat(file.c_str(), &st)) << "no half-written backup stays";
}

TEST_F(CEmulationTest, KillspidAndRestore) {
  CServerState state(m_dir);
  std::string file = m_dir + "/out/s.bak";
  ASSERT_EQ("", Messages(RunStatement(state, "create proc killspid (@dbname varchar(20)) \nas\nbegin\nend\n")));
  EXPECT_EQ("E There is already an object named 'killspid' in the database.\n",
            Messages(RunStatement(state, "create proc killspid (@dbname varchar(20)) \nas\nbegin\nend\n")));
  RunStatement(state, "backup database [shop] to disk='" + file + "'");
  std::ofstream(m_dir + "/databases") << "shop\tchanged\n";
  std::ofstream(m_dir + "/sessions") << "shop\nmodel\n";
  EXPECT_EQ("E Exclusive access could not be obtained because the database is in use.\n"
            "E RESTORE DATABASE is terminating abnormally.\n",
            Messages(RunStatement(state, "RESTORE database [shop] from disk='" + file + "'")));
  EXPECT_EQ("", Messages(RunStatement(state, "exec killspid  'shop'")));
  EXPECT_EQ("model\n", ReadAll(m_dir + "/sessions"));
  EXPECT_FALSE(RunStatement(state, "RESTORE database [shop] from disk='" + file + "'")[0].isError);
  EXPECT_EQ("shop\tshop rows\n", ReadAll(m_dir + "/databases"));
}

TEST_F(CEmulationTest, KillspidSeesNamesCutToTwentyBytes) {
  std::ofstream(m_dir + "/sessions") << "abcdefghijklmnopqrst\nabcdefghijklmnopqrstu\n";
  CServerState state(m_dir);
  RunStatement(state, "create proc killspid (@dbname varchar(20)) as begin end");
  RunStatement(state, "exec killspid  'abcdefghijklmnopqrstu'");
  EXPECT_EQ("abcdefghijklmnopqrstu\n", ReadAll(m_dir + "/sessions"));
}

TEST_F(CEmulationTest, KillsessionsTakesWholeNamesBesideKillspid) {
  std::ofstream(m_dir + "/sessions") << "abcdefghijklmnopqrst\nabcdefghijklmnopqrstu\nit's]\n";
  CServerState state(m_dir);
  EXPECT_EQ("E Could not find stored procedure 'killsessions'.\n",
            Messages(RunStatement(state, "exec killsessions 'x'")));
  RunStatement(state, "create proc killspid (@dbname varchar(20)) as begin end");
  ASSERT_EQ("", Messages(RunStatement(state, "create proc killsessions (@dbname sysname) as begin end")));
  EXPECT_EQ("E There is already an object named 'killsessions' in the database.\n",
            Messages(RunStatement(state, "create proc killsessions (@dbname sysname) as begin end")));
  RunStatement(state, "exec killsessions 'abcdefghijklmnopqrstu'");
  RunStatement(state, "exec killsessions 'it''s]'");
  EXPECT_EQ("abcdefghijklmnopqrst\n", ReadAll(m_dir + "/sessions"));
}

}  // namespace
}  // namespace dorvik_sqlserver
