#pragma once
// SQL Server through the ODBC C API: always the default instance of this machine, database
// master, empty login, 9999-second time-outs. Every failure comes back with its description.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dorvik {

class ISqlConnection {
 public:
  virtual ~ISqlConnection() = default;
  // Runs a statement as a text command to completion. False with the error's description.
  virtual bool Execute(const std::string& statement, std::string* error) = 0;
  // Runs a query and reads the "name" field of every row, first to last.
  virtual bool QueryNames(const std::string& query, std::vector<std::string>* names,
                          std::string* error) = 0;
};

// "Driver={SQL Server};Server=" + computer name + ";Database=master". Null with the description
// when the connection cannot be opened.
std::unique_ptr<ISqlConnection> OpenSqlConnection(std::string* error);

// The console's one connection and its one owner. A connection handle runs one statement at a
// time, and the console uses it from several threads (its backup job, the database list, a
// restore), so every statement runs under this object's lock, one after the other. The
// connection thread only opens a connection and hands it over by message; the window adopts it
// here, so no thread ever sees a half-made connection. Until then (or after a failed attempt)
// every call fails at once with kSqlNotConnected. The interface thread never waits for a
// statement it did not ask for: it asks for the database list with TryQueryNames.
extern const char* const kSqlNotConnected;

class CSharedSqlConnection : public ISqlConnection {
 public:
  // Takes the connection (null: none) for every later statement.
  void Adopt(std::unique_ptr<ISqlConnection> connection);
  bool IsOpen();

  bool Execute(const std::string& statement, std::string* error) override;
  bool QueryNames(const std::string& query, std::vector<std::string>* names,
                  std::string* error) override;
  // QueryNames unless a statement is running: then false at once with *bBusy set.
  bool TryQueryNames(const std::string& query, std::vector<std::string>* names, std::string* error,
                     bool* bBusy);

 private:
  std::mutex m_mutex;
  std::unique_ptr<ISqlConnection> m_pConnection;
};

}  // namespace dorvik
