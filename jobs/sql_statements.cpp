#include "jobs/sql_statements.h"

#include "common/gbk.h"

namespace dorvik {

const char* const kDatabaseListQuery = "Select Name FROM Master..SysDatabases order BY Name ";

// Servers restored to by earlier versions hold a procedure "killspid" whose argument was cut to 20
// characters and pasted into dynamic SQL; this one has its own name so it never meets that one.
// KILL takes no variable, so only the session number, an int, goes through dynamic SQL.
const char* const kKillSessionsProcedure =
    "create proc killsessions (@dbname sysname)\n"
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
    "end\n";

namespace {
// Doubles every `ch` that is a character of its own; a GBK trail byte may equal "]".
std::string DoubleChar(const std::string& text, char ch) {
  std::string out;
  std::string::size_type from = 0;
  for (std::string::size_type pos = FindFirstChar(text, ch); pos != std::string::npos;
       pos = FindFirstChar(text, ch, pos + 1)) {
    out.append(text, from, pos + 1 - from);
    out.push_back(ch);
    from = pos + 1;
  }
  out.append(text, from, std::string::npos);
  return out;
}
}  // namespace

std::string SqlConnectionString(const std::string& computerName) {
  return "Driver={SQL Server};Server=" + computerName + ";Database=master";
}

std::string QuoteSqlIdentifier(const std::string& name) { return "[" + DoubleChar(name, ']') + "]"; }

std::string QuoteSqlString(const std::string& text) { return "'" + DoubleChar(text, '\'') + "'"; }

std::string BackupDatabaseStatement(const std::string& database, const std::string& file) {
  return "backup database " + QuoteSqlIdentifier(database) + " to disk=" + QuoteSqlString(file);
}

std::string RestoreDatabaseStatement(const std::string& database, const std::string& file) {
  return "RESTORE database " + QuoteSqlIdentifier(database) + " from disk=" + QuoteSqlString(file);
}

std::string KillSessionsStatement(const std::string& database) {
  return "exec killsessions " + QuoteSqlString(database);
}

std::vector<std::string> UserDatabaseNames(const std::vector<std::string>& names) {
  std::vector<std::string> user;
  for (const std::string& name : names) {
    std::string lower = AsciiLower(name);
    if (lower != "master" && lower != "tempdb") user.push_back(name);
  }
  return user;
}

}  // namespace dorvik
