#pragma once
// Handles of the test ODBC driver and their diagnostic records.
#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/sqlserver/server_state.h"
#include "tests/sqlserver/statement_emulation.h"

namespace dorvik_sqlserver {

// Message prefixes as the real driver writes them.
constexpr const char* kDriverPrefix = "[Microsoft][ODBC SQL Server Driver]";
constexpr const char* kServerPrefix = "[Microsoft][ODBC SQL Server Driver][SQL Server]";
constexpr const char* kNetworkPrefix = "[Microsoft][ODBC SQL Server Driver][DBNETLIB]";

struct Handle {
  explicit Handle(SQLSMALLINT t) : type(t) {}
  virtual ~Handle() = default;
  unsigned magic = 0x44535156;  // lets a stale or foreign pointer be refused
  SQLSMALLINT type;
  std::vector<Diagnostic> diagnostics;  // messages already carry their prefix
  SQLRETURN Fail(const char* sqlState, const std::string& message, int native = 0);
};

struct Environment : Handle {
  Environment() : Handle(SQL_HANDLE_ENV) {}
  SQLINTEGER odbcVersion = SQL_OV_ODBC3;
};

struct Connection : Handle {
  explicit Connection(Environment* e) : Handle(SQL_HANDLE_DBC), env(e) {}
  Environment* env;
  std::unique_ptr<CServerState> state;  // set while connected
  std::string connectionString;
  SQLULEN loginTimeout = 0;
  SQLULEN connectionTimeout = 0;
};

struct Statement : Handle {
  explicit Statement(Connection* c) : Handle(SQL_HANDLE_STMT), dbc(c) {}
  Connection* dbc;
  std::vector<ResultPart> parts;
  std::size_t part = 0;
  bool executed = false;
  long row = -1;                          // the fetched row of the current part
  std::vector<std::size_t> getDataDone;   // bytes SQLGetData returned so far, per column
  SQLULEN queryTimeout = 0;
  const ResultPart* Current() const { return executed && part < parts.size() ? &parts[part] : nullptr; }
};

// The handle behind an ODBC pointer if it is ours and of the given type; its diagnostics cleared
// when `clear` is set (every call but the diagnostic ones starts afresh).
template <typename T>
T* Use(SQLHANDLE h, SQLSMALLINT type, bool clear = true) {
  Handle* handle = static_cast<Handle*>(h);
  if (handle == nullptr || handle->magic != 0x44535156 || handle->type != type) return nullptr;
  if (clear) handle->diagnostics.clear();
  return static_cast<T*>(handle);
}

Handle* AnyHandle(SQLSMALLINT type, SQLHANDLE h);

// Copies text into an ODBC output buffer with the usual truncation rule; true when it fitted.
bool CopyOut(const std::string& text, SQLCHAR* buffer, SQLLEN bufferLength, SQLSMALLINT* length);

}  // namespace dorvik_sqlserver
