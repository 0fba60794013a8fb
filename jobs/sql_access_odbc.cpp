// SQL Server through the ODBC C API. Only the plain entry points are called (SQLDriverConnect,
// SQLExecDirect, ...): Wine's odbc32 lacks the A-suffixed ones, and without UNICODE the plain
// names take the ANSI code page's bytes on Windows as well.
#include <algorithm>
#include <vector>

#include "common/gbk.h"
#include "jobs/sql_access.h"
#include "jobs/sql_computer_name.h"
#include "jobs/sql_odbc_headers.h"
#include "jobs/sql_statements.h"

namespace dorvik {

namespace {

constexpr SQLULEN kTimeoutSeconds = 9999;

// The message texts of a failed call, one per line. Informational records ("01...") that arrive
// with an error are left out: the error is what the user needs to read.
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* call) {
  std::vector<std::string> errors, infos;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLCHAR state[6] = {0};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    std::vector<SQLCHAR> text(512);
    SQLRETURN rc = SQLGetDiagRec(type, handle, record, state, &native, text.data(),
                                 static_cast<SQLSMALLINT>(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
      text.resize(static_cast<std::size_t>(length) + 1);
      rc = SQLGetDiagRec(type, handle, record, state, &native, text.data(),
                         static_cast<SQLSMALLINT>(text.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc)) break;
    std::string message(reinterpret_cast<const char*>(text.data()),
                        std::min<std::size_t>(static_cast<std::size_t>(length), text.size() - 1));
    (state[0] == '0' && state[1] == '1' ? infos : errors).push_back(message);
  }
  const std::vector<std::string>& chosen = errors.empty() ? infos : errors;
  if (chosen.empty()) return std::string("ODBC 调用 ") + call + " 失败，没有错误说明";
  std::string joined;
  for (const std::string& message : chosen) joined += (joined.empty() ? "" : "\n") + message;
  return joined;
}

class CStatementHandle {
 public:
  ~CStatementHandle() {
    if (m_h != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, m_h);
  }
  SQLHSTMT* Out() { return &m_h; }
  SQLHSTMT Get() const { return m_h; }
  std::string Error(const char* call) const { return Diagnostics(SQL_HANDLE_STMT, m_h, call); }

 private:
  SQLHSTMT m_h = SQL_NULL_HSTMT;
};

class COdbcConnection : public ISqlConnection {
 public:
  ~COdbcConnection() override {
    if (m_hDbc != SQL_NULL_HDBC) {
      if (m_bConnected) SQLDisconnect(m_hDbc);
      SQLFreeHandle(SQL_HANDLE_DBC, m_hDbc);
    }
    if (m_hEnv != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, m_hEnv);
  }

  bool Open(const std::string& connectionString, std::string* error) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv))) {
      *error = "ODBC 环境无法建立";
      return false;
    }
    if (!SQL_SUCCEEDED(SQLSetEnvAttr(m_hEnv, SQL_ATTR_ODBC_VERSION,
                                     reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_OV_ODBC3)), 0))) {
      *error = Diagnostics(SQL_HANDLE_ENV, m_hEnv, "SQLSetEnvAttr");
      return false;
    }
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, m_hEnv, &m_hDbc))) {
      *error = Diagnostics(SQL_HANDLE_ENV, m_hEnv, "SQLAllocHandle");
      return false;
    }
    SQLPOINTER timeout = reinterpret_cast<SQLPOINTER>(kTimeoutSeconds);
    if (!SQL_SUCCEEDED(SQLSetConnectAttr(m_hDbc, SQL_ATTR_LOGIN_TIMEOUT, timeout, SQL_IS_UINTEGER)) ||
        !SQL_SUCCEEDED(SQLSetConnectAttr(m_hDbc, SQL_ATTR_CONNECTION_TIMEOUT, timeout, SQL_IS_UINTEGER))) {
      *error = Diagnostics(SQL_HANDLE_DBC, m_hDbc, "SQLSetConnectAttr");
      return false;
    }
    std::vector<SQLCHAR> text(connectionString.begin(), connectionString.end());
    text.push_back(0);
    SQLRETURN rc = SQLDriverConnect(m_hDbc, nullptr, text.data(), SQL_NTS, nullptr, 0, nullptr,
                                    SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
      *error = Diagnostics(SQL_HANDLE_DBC, m_hDbc, "SQLDriverConnect");
      return false;
    }
    m_bConnected = true;
    return true;
  }

  bool Execute(const std::string& statement, std::string* error) override {
    CStatementHandle stmt;
    return Run(statement, &stmt, error) && DrainResults(stmt, error);
  }

  bool QueryNames(const std::string& query, std::vector<std::string>* names, std::string* error) override {
    names->clear();
    CStatementHandle stmt;
    if (!Run(query, &stmt, error)) return false;
    // Messages may come before the rows; the first result with columns holds them.
    SQLSMALLINT columns = 0;
    while (SQL_SUCCEEDED(SQLNumResultCols(stmt.Get(), &columns)) && columns == 0) {
      SQLRETURN rc = SQLMoreResults(stmt.Get());
      if (rc == SQL_NO_DATA) break;
      if (!SQL_SUCCEEDED(rc)) {
        *error = stmt.Error("SQLMoreResults");
        return false;
      }
    }
    SQLUSMALLINT nameColumn = 0;
    if (!FindNameColumn(stmt, columns, &nameColumn, error)) return false;
    for (;;) {
      SQLRETURN rc = SQLFetch(stmt.Get());
      if (rc == SQL_NO_DATA) break;
      if (!SQL_SUCCEEDED(rc)) {
        *error = stmt.Error("SQLFetch");
        return false;
      }
      std::string name;
      if (!ReadText(stmt, nameColumn, &name, error)) return false;
      names->push_back(name);
    }
    return DrainResults(stmt, error);
  }

 private:
  bool Run(const std::string& statement, CStatementHandle* stmt, std::string* error) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, stmt->Out()))) {
      *error = Diagnostics(SQL_HANDLE_DBC, m_hDbc, "SQLAllocHandle");
      return false;
    }
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(stmt->Get(), SQL_ATTR_QUERY_TIMEOUT,
                                      reinterpret_cast<SQLPOINTER>(kTimeoutSeconds), SQL_IS_UINTEGER))) {
      *error = stmt->Error("SQLSetStmtAttr");
      return false;
    }
    std::vector<SQLCHAR> text(statement.begin(), statement.end());
    text.push_back(0);
    SQLRETURN rc = SQLExecDirect(stmt->Get(), text.data(), SQL_NTS);
    if (rc == SQL_NO_DATA || SQL_SUCCEEDED(rc)) return true;
    *error = stmt->Error("SQLExecDirect");
    return false;
  }

  // A batch is done only when every result has been taken: a BACKUP reports its failure after
  // its progress messages, in a later result.
  static bool DrainResults(const CStatementHandle& stmt, std::string* error) {
    for (;;) {
      SQLRETURN rc = SQLMoreResults(stmt.Get());
      if (rc == SQL_NO_DATA) return true;
      if (!SQL_SUCCEEDED(rc)) {
        *error = stmt.Error("SQLMoreResults");
        return false;
      }
    }
  }

  static bool FindNameColumn(const CStatementHandle& stmt, SQLSMALLINT columns, SQLUSMALLINT* found,
                             std::string* error) {
    for (SQLSMALLINT i = 1; i <= columns; ++i) {
      SQLCHAR name[256] = {0};
      SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      SQLRETURN rc = SQLDescribeCol(stmt.Get(), static_cast<SQLUSMALLINT>(i), name, sizeof(name), &length,
                                    &type, &size, &digits, &nullable);
      if (!SQL_SUCCEEDED(rc)) {
        *error = stmt.Error("SQLDescribeCol");
        return false;
      }
      if (AsciiLower(reinterpret_cast<const char*>(name)) == "name") {
        *found = static_cast<SQLUSMALLINT>(i);
        return true;
      }
    }
    *error = "查询结果中没有 name 列";
    return false;
  }

  // The whole value of a text column, read in pieces; NULL reads as empty.
  static bool ReadText(const CStatementHandle& stmt, SQLUSMALLINT column, std::string* value, std::string* error) {
    value->clear();
    char buffer[256];
    for (;;) {
      SQLLEN indicator = 0;
      SQLRETURN rc = SQLGetData(stmt.Get(), column, SQL_C_CHAR, buffer, sizeof(buffer), &indicator);
      if (rc == SQL_NO_DATA || indicator == SQL_NULL_DATA) return true;
      if (!SQL_SUCCEEDED(rc)) {
        *error = stmt.Error("SQLGetData");
        return false;
      }
      bool whole = indicator != SQL_NO_TOTAL && indicator < static_cast<SQLLEN>(sizeof(buffer));
      value->append(buffer, whole ? static_cast<std::size_t>(indicator) : sizeof(buffer) - 1);
      if (whole) return true;
    }
  }

  SQLHENV m_hEnv = SQL_NULL_HENV;
  SQLHDBC m_hDbc = SQL_NULL_HDBC;
  bool m_bConnected = false;
};

}  // namespace

std::unique_ptr<ISqlConnection> OpenSqlConnection(std::string* error) {
  std::unique_ptr<COdbcConnection> connection(new COdbcConnection());
  std::string ignored;
  if (!connection->Open(SqlConnectionString(GetComputerNameText()), error ? error : &ignored)) return nullptr;
  return connection;
}

}  // namespace dorvik
