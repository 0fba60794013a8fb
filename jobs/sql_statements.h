#pragma once
// The SQL text sent to the server. Names and paths are quoted, so a "]" in a database name or a
// "'" in a path ends up as data, never as SQL.
#include <string>
#include <vector>

namespace dorvik {

// "Select Name FROM Master..SysDatabases order BY Name " (with its trailing blank).
extern const char* const kDatabaseListQuery;
// The procedure that ends every other session of a database, created in master before a
// restore. It takes the name as a parameter of full length and uses it as data only.
extern const char* const kKillSessionsProcedure;

// "Driver={SQL Server};Server=" + computer name + ";Database=master"
std::string SqlConnectionString(const std::string& computerName);

// "[" + name with each "]" doubled + "]"
std::string QuoteSqlIdentifier(const std::string& name);
// "'" + text with each "'" doubled + "'"
std::string QuoteSqlString(const std::string& text);

// backup database [D] to disk='file'
std::string BackupDatabaseStatement(const std::string& database, const std::string& file);
// RESTORE database [D] from disk='file'
std::string RestoreDatabaseStatement(const std::string& database, const std::string& file);
// exec killsessions 'D'
std::string KillSessionsStatement(const std::string& database);

// The database list without the system databases master and tempdb, order kept.
std::vector<std::string> UserDatabaseNames(const std::vector<std::string>& names);

}  // namespace dorvik
