#pragma once
// SQL Server through the ODBC C API: always the default instance of this machine, database
// master, empty login, 9999-second time-outs. Every failure comes back with its description.
#include <memory>
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

}  // namespace dorvik
