// The SQL text the programs send, byte for byte.
#include <gtest/gtest.h>

#include "jobs/sql_job_names.h"
#include "jobs/sql_statements.h"
#include "tests/jobs/fixed_clock.h"

namespace dorvik {
namespace {

TEST(SqlStatementsTest, StatementsAndTheirQuoting) {
  struct Case {
    std::string actual, expected;
    const char* why;
  } cases[] = {
      {BackupDatabaseStatement("shopdb", "D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.bak"),
       "backup database [shopdb] to disk='D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.bak'", "plain"},
      {BackupDatabaseStatement("a]b", "D:\\it's\\x.bak"), "backup database [a]]b] to disk='D:\\it''s\\x.bak'",
       "] doubled inside brackets, ' doubled inside the literal"},
      {BackupDatabaseStatement("o'k", "D:\\[x]"), "backup database [o'k] to disk='D:\\[x]'",
       "each quoting only doubles its own delimiter"},
      {QuoteSqlIdentifier("\x81\x5D]"), "[\x81\x5D]]]", "a GBK trail byte 0x5D is not a bracket"},
      {RestoreDatabaseStatement("shopdb", "D:\\a.bak"), "RESTORE database [shopdb] from disk='D:\\a.bak'", "restore"},
      {RestoreDatabaseStatement("x]", "D:\\'"), "RESTORE database [x]]] from disk='D:\\'''", "restore quoted"},
      {KillSessionsStatement("shopdb"), "exec killsessions 'shopdb'", "plain"},
      {KillSessionsStatement("it's"), "exec killsessions 'it''s'", "argument quoted"},
      {SqlConnectionString("WEB01"), "Driver={SQL Server};Server=WEB01;Database=master", "connection"},
      {kDatabaseListQuery, "Select Name FROM Master..SysDatabases order BY Name ", "trailing blank kept"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.actual) << c.why;
}

TEST(SqlStatementsTest, KillSessionsProcedureText) {
  EXPECT_EQ(std::string("create proc killsessions (@dbname sysname)\n"
                        "as\n"
                        "begin\n"
                        "declare @spid int\n"
                        "declare sessions cursor local fast_forward for\n"
                        "select spid from master..sysprocesses where dbid=db_id(@dbname) and spid<>@@spid\n"
                        "open sessions\n"
                        "fetch next from sessions into @spid\n"
                        "while @@fetch_status=0\n"
                        "begin\n"
                        "exec('kill '+convert(varchar(11),@spid))\n"
                        "fetch next from sessions into @spid\n"
                        "end\n"
                        "close sessions\n"
                        "deallocate sessions\n"
                        "end\n"),
            kKillSessionsProcedure);
}

TEST(SqlStatementsTest, RunNamesAndDatabaseLists) {
  SqlJobNames names = MakeSqlJobNames("D:\\sql", "shop", MakeLocalTime(2024, 5, 1, 8, 30, 0));
  EXPECT_EQ("D:\\sql\\shop", names.strProjectFolder);
  EXPECT_EQ("D:\\sql\\shop\\2024-5-1", names.strRunFolder);
  EXPECT_EQ("D:\\sql\\shop\\2024-5-1\\db_shopdb_20240501083000.bak", SqlBackupFilePath(names, "shopdb"));
  EXPECT_EQ("2024-05-01 08:30:00", names.strLogTime);
  EXPECT_EQ("2024_05_01.log", names.strLogFileName);
  EXPECT_EQ("D:\\x.bak\\db_a_1.zip", SqlArchivePath("D:\\x.bak\\db_a_1.bak")) << "only the ending changes";

  std::vector<std::string> all{"model", "msdb", "shop"};
  EXPECT_EQ(all, SqlRunDatabases("所有数据库", all));
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), SqlRunDatabases("a,,b,", all)) << "empty pieces name nothing";
  EXPECT_EQ((std::vector<std::string>{"model", "msdb", "shop"}),
            UserDatabaseNames({"master", "model", "msdb", "shop", "tempdb"}));
}

}  // namespace
}  // namespace dorvik
