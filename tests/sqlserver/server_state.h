#pragma once
// The test server's state, kept in plain UTF-8 files in one folder so a test can set it up and
// inspect it with shell tools, and so every process using the driver sees the same server:
//   databases           one user database per line: name, optionally a tab and its content
//   failures            "name<TAB>rights" or "name<TAB>disk-full": that database's backups fail
//   sessions            one line per open session, naming its database
//   refuse_connections  present: every connection attempt fails
//   connect_delay       milliseconds every connection attempt waits before it answers
//   <name>.sql          a procedure's text, once created (killspid, killsessions)
//   queries.log         every statement received, each followed by a line feed
//   connections.log     every connection string received
// master, model, msdb and tempdb always exist.
#include <string>
#include <vector>

namespace dorvik_sqlserver {

struct Database {
  std::string name;
  std::string content;
};

// SQL Server compares names without regard to ASCII case.
bool SameName(const std::string& a, const std::string& b);

class CServerState {
 public:
  explicit CServerState(std::string folder);

  // Taken around every connection and statement: several processes may share the server.
  class CLock {
   public:
    explicit CLock(const std::string& path);
    ~CLock();
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

   private:
    int m_fd;
  };
  CLock Exclusive() const;

  const std::string& Folder() const { return m_folder; }
  bool FolderExists() const;
  // System databases first, then the user databases, in the order of the file.
  std::vector<Database> LoadDatabases() const;
  void SaveUserDatabases(const std::vector<Database>& all) const;
  std::string FailureFor(const std::string& database) const;
  std::vector<std::string> LoadSessions() const;
  void SaveSessions(const std::vector<std::string>& sessions) const;
  bool RefusesConnections() const;
  int ConnectDelayMs() const;
  bool HasProcedure(const std::string& name) const;
  void CreateProcedure(const std::string& name, const std::string& text) const;
  void LogStatement(const std::string& statement) const;
  void LogConnection(const std::string& connectionString) const;

  static bool IsSystemDatabase(const std::string& name);

 private:
  std::string Path(const char* name) const { return m_folder + "/" + name; }
  std::string m_folder;
};

}  // namespace dorvik_sqlserver
