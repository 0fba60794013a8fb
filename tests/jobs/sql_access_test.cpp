// The ODBC access code against the test server, through unixODBC's driver manager: the same
// path the Windows programs take under Wine, minus Wine's odbc32.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "jobs/sql_access.h"
#include "jobs/sql_statements.h"

namespace dorvik {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

class CSqlAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* root = std::getenv("DORVIK_TEST_ROOT");
    m_dir = std::string(root ? root : "/tmp") + "/sql_access_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::system(("rm -rf '" + m_dir + "' && mkdir -p '" + m_dir + "/out'").c_str());
    // The state file is the server's, in UTF-8.
    std::ofstream(m_dir + "/databases") << "shop\n" << u8"销售" << "\ncrm\n";
    setenv("DORVIK_SQLSERVER_STATE", m_dir.c_str(), 1);
  }
  std::unique_ptr<ISqlConnection> Open() {
    std::string error;
    std::unique_ptr<ISqlConnection> connection = OpenSqlConnection(&error);
    EXPECT_TRUE(connection) << error;
    return connection;
  }
  std::string m_dir;
};

TEST_F(CSqlAccessTest, ConnectsToMasterOfThisMachineWithLongTimeouts) {
  ASSERT_TRUE(Open());
  char host[256] = {0};
  gethostname(host, sizeof(host) - 1);
  EXPECT_EQ(std::string("Driver={SQL Server};Server=") + host +
                ";Database=master\tlogin_timeout=9999\tconnection_timeout=9999\n",
            ReadAll(m_dir + "/connections.log"));
}

TEST_F(CSqlAccessTest, ListsDatabaseNamesInTheClientsCodePage) {
  std::unique_ptr<ISqlConnection> connection = Open();
  ASSERT_TRUE(connection);
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(connection->QueryNames(kDatabaseListQuery, &names, &error)) << error;
  // "销售" here is GBK: the literal's execution character set.
  EXPECT_EQ((std::vector<std::string>{"crm", "master", "model", "msdb", "shop", "tempdb", "销售"}), names);
  // The column is found by name, wherever it stands and however it is spelt.
  ASSERT_TRUE(connection->QueryNames("select dbid, NAME from master..sysdatabases", &names, &error)) << error;
  EXPECT_EQ("master", names.at(0));
  EXPECT_FALSE(connection->QueryNames("select dbid from master..sysdatabases", &names, &error));
  EXPECT_EQ("查询结果中没有 name 列", error);
}

TEST_F(CSqlAccessTest, StatementsRunToCompletionOrFailWithTheServersDescription) {
  std::unique_ptr<ISqlConnection> connection = Open();
  ASSERT_TRUE(connection);
  std::ofstream(m_dir + "/failures") << "crm\tdisk-full\n";
  std::string error;
  std::string file = m_dir + "/out/shop.bak";
  EXPECT_TRUE(connection->Execute(BackupDatabaseStatement("shop", file), &error)) << error;
  EXPECT_TRUE(FileExists(file));

  EXPECT_FALSE(connection->Execute(BackupDatabaseStatement("nosuch", file), &error));
  EXPECT_EQ("[Microsoft][ODBC SQL Server Driver][SQL Server]Database 'nosuch' does not exist. Make sure that the "
            "name is entered correctly.\n"
            "[Microsoft][ODBC SQL Server Driver][SQL Server]BACKUP DATABASE is terminating abnormally.",
            error);

  // This failure only comes with the batch's second result, after a progress message.
  EXPECT_FALSE(connection->Execute(BackupDatabaseStatement("crm", m_dir + "/out/crm.bak"), &error));
  EXPECT_NE(std::string::npos, error.find("Write on '" + m_dir + "/out/crm.bak' failed: 112"));
  EXPECT_EQ(std::string::npos, error.find("Processed")) << error;

  EXPECT_EQ("query_timeout=9999\n", ReadAll(m_dir + "/queries.log").substr(0, 19));
}

TEST_F(CSqlAccessTest, QuotedNamesAndPathsReachTheServerIntact) {
  std::ofstream(m_dir + "/databases") << "a]b'c\n";
  mkdir((m_dir + "/it's").c_str(), 0755);
  std::unique_ptr<ISqlConnection> connection = Open();
  ASSERT_TRUE(connection);
  std::string error;
  std::string file = m_dir + "/it's/" + "备份.bak";
  EXPECT_TRUE(connection->Execute(BackupDatabaseStatement("a]b'c", file), &error)) << error;
  EXPECT_TRUE(FileExists(m_dir + "/it's/" + u8"备份.bak"));
  EXPECT_TRUE(connection->Execute(kKillSessionsProcedure, &error)) << error;
  EXPECT_EQ(std::string(kKillSessionsProcedure), ReadAll(m_dir + "/killsessions.sql"));
  EXPECT_FALSE(connection->Execute(kKillSessionsProcedure, &error));
  EXPECT_EQ("[Microsoft][ODBC SQL Server Driver][SQL Server]There is already an object named 'killsessions' in "
            "the database.",
            error);
  EXPECT_TRUE(connection->Execute(KillSessionsStatement("a]b'c"), &error)) << error;
  EXPECT_TRUE(connection->Execute(RestoreDatabaseStatement("a]b'c", file), &error)) << error;
}

TEST_F(CSqlAccessTest, RefusedConnectionCarriesItsDescription) {
  std::ofstream(m_dir + "/refuse_connections");
  std::string error;
  EXPECT_FALSE(OpenSqlConnection(&error));
  EXPECT_EQ("[Microsoft][ODBC SQL Server Driver][DBNETLIB]SQL Server does not exist or access denied.", error);
}

}  // namespace
}  // namespace dorvik
