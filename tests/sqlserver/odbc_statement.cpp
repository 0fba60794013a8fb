// The statement side of the test driver: running a batch, walking its results and rows.
#include <algorithm>
#include <cstring>

#include "tests/sqlserver/odbc_handles.h"
#include "tests/sqlserver/text_codec.h"

using namespace dorvik_sqlserver;

namespace {

// The implicit descriptors the driver manager asks for; never used beyond that.
Handle g_descriptor(SQL_HANDLE_DESC);

// SQLGetData's mark for a column whose value has been read to its end.
constexpr std::size_t kAllReturned = static_cast<std::size_t>(-1);

SQLRETURN Deliver(Statement* stmt) {
  stmt->row = -1;
  const ResultPart* part = stmt->Current();
  if (part == nullptr) return SQL_NO_DATA;
  stmt->getDataDone.assign(part->columns.size(), 0);
  for (const Diagnostic& d : part->diagnostics) {
    stmt->diagnostics.push_back({d.sqlState, d.nativeError, kServerPrefix + Utf8ToGbk(d.message)});
  }
  if (part->isError) return SQL_ERROR;
  return part->diagnostics.empty() ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

const std::vector<std::string>* FetchedRow(Statement* stmt) {
  const ResultPart* part = stmt->Current();
  if (part == nullptr || !part->hasRows || stmt->row < 0 ||
      static_cast<std::size_t>(stmt->row) >= part->rows.size()) {
    return nullptr;
  }
  return &part->rows[static_cast<std::size_t>(stmt->row)];
}

SQLSMALLINT ColumnCount(const Statement* stmt) {
  const ResultPart* part = stmt->Current();
  return part != nullptr && part->hasRows ? static_cast<SQLSMALLINT>(part->columns.size()) : 0;
}

void CloseCursor(Statement* stmt) {
  stmt->parts.clear();
  stmt->part = 0;
  stmt->executed = false;
  stmt->row = -1;
}

}  // namespace

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (option == SQL_DROP) return SQLFreeHandle(SQL_HANDLE_STMT, handle);
  if (option == SQL_CLOSE) CloseCursor(stmt);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT handle) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (!stmt->executed) return stmt->Fail("24000", "Invalid cursor state");
  CloseCursor(stmt);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLCancel(SQLHSTMT handle) {
  return Use<Statement>(handle, SQL_HANDLE_STMT) == nullptr ? SQL_INVALID_HANDLE : SQL_SUCCESS;
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (text == nullptr) return stmt->Fail("HY009", "Invalid use of null pointer");
  if (!stmt->dbc->state) return stmt->Fail("08S01", "Communication link failure");
  const char* s = reinterpret_cast<const char*>(text);
  std::string statement = length == SQL_NTS ? std::string(s) : std::string(s, static_cast<std::size_t>(length));
  CloseCursor(stmt);
  {
    const CServerState& state = *stmt->dbc->state;
    CServerState::CLock lock = state.Exclusive();
    state.LogStatement("query_timeout=" + std::to_string(stmt->queryTimeout));
    stmt->parts = RunStatement(state, GbkToUtf8(statement));
  }
  stmt->executed = true;
  if (stmt->parts.empty()) return SQL_SUCCESS;
  return Deliver(stmt);
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT handle) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (!stmt->executed || stmt->part >= stmt->parts.size()) return SQL_NO_DATA;
  ++stmt->part;
  return Deliver(stmt);
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT* count) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (count != nullptr) *count = ColumnCount(stmt);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT handle, SQLLEN* count) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (count != nullptr) *count = -1;
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT handle, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT bufferLength,
                                 SQLSMALLINT* nameLength, SQLSMALLINT* dataType, SQLULEN* columnSize,
                                 SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (column < 1 || column > ColumnCount(stmt)) return stmt->Fail("07009", "Invalid descriptor index");
  if (dataType != nullptr) *dataType = SQL_VARCHAR;
  if (columnSize != nullptr) *columnSize = 128;
  if (decimalDigits != nullptr) *decimalDigits = 0;
  if (nullable != nullptr) *nullable = SQL_NO_NULLS;
  if (!CopyOut(Utf8ToGbk(stmt->Current()->columns[column - 1]), name, bufferLength, nameLength)) {
    stmt->diagnostics.push_back({"01004", 0, std::string(kDriverPrefix) + "String data, right truncation"});
    return SQL_SUCCESS_WITH_INFO;
  }
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLColAttribute(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                                  SQLSMALLINT bufferLength, SQLSMALLINT* textLength, SQLLEN* number) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  SQLSMALLINT count = ColumnCount(stmt);
  if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
    if (number != nullptr) *number = count;
    return SQL_SUCCESS;
  }
  if (column < 1 || column > count) return stmt->Fail("07009", "Invalid descriptor index");
  SQLLEN value = 0;
  switch (field) {
    case SQL_DESC_NAME:
    case SQL_DESC_LABEL:
    case SQL_COLUMN_NAME:
    case SQL_DESC_BASE_COLUMN_NAME:
      CopyOut(Utf8ToGbk(stmt->Current()->columns[column - 1]), static_cast<SQLCHAR*>(text), bufferLength, textLength);
      return SQL_SUCCESS;
    case SQL_DESC_TYPE_NAME:
      CopyOut("varchar", static_cast<SQLCHAR*>(text), bufferLength, textLength);
      return SQL_SUCCESS;
    case SQL_DESC_TYPE:
    case SQL_DESC_CONCISE_TYPE: value = SQL_VARCHAR; break;
    case SQL_DESC_LENGTH:
    case SQL_COLUMN_LENGTH:
    case SQL_DESC_OCTET_LENGTH:
    case SQL_DESC_DISPLAY_SIZE:
    case SQL_COLUMN_PRECISION: value = 128; break;
    case SQL_DESC_NULLABLE: value = SQL_NO_NULLS; break;
    default: value = 0; break;
  }
  if (number != nullptr) *number = value;
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT handle) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  const ResultPart* part = stmt->Current();
  if (part == nullptr || !part->hasRows) return stmt->Fail("24000", "Invalid cursor state");
  if (static_cast<std::size_t>(stmt->row + 1) >= part->rows.size()) {
    stmt->row = static_cast<long>(part->rows.size());
    return SQL_NO_DATA;
  }
  ++stmt->row;
  stmt->getDataDone.assign(part->columns.size(), 0);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                             SQLLEN bufferLength, SQLLEN* indicator) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  const std::vector<std::string>* row = FetchedRow(stmt);
  if (row == nullptr) return stmt->Fail("24000", "Invalid cursor state");
  if (column < 1 || column > row->size()) return stmt->Fail("07009", "Invalid descriptor index");
  if (targetType != SQL_C_CHAR && targetType != SQL_C_DEFAULT) {
    return stmt->Fail("HY003", "Program type out of range");
  }
  std::string value = Utf8ToGbk((*row)[column - 1]);
  std::size_t& done = stmt->getDataDone[column - 1];
  if (done == kAllReturned) return SQL_NO_DATA;
  std::size_t from = done;
  std::size_t remaining = value.size() - from;
  if (indicator != nullptr) *indicator = static_cast<SQLLEN>(remaining);
  if (target == nullptr || bufferLength <= 0) {
    if (remaining == 0) done = kAllReturned;
    return remaining == 0 ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
  }
  std::size_t n = std::min(remaining, static_cast<std::size_t>(bufferLength - 1));
  std::memcpy(target, value.data() + from, n);
  static_cast<char*>(target)[n] = 0;
  if (n < remaining) {
    done = from + n;
    stmt->diagnostics.push_back({"01004", 0, std::string(kDriverPrefix) + "String data, right truncation"});
    return SQL_SUCCESS_WITH_INFO;
  }
  done = kAllReturned;
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (attribute == SQL_ATTR_QUERY_TIMEOUT) stmt->queryTimeout = reinterpret_cast<SQLULEN>(value);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                 SQLINTEGER*) {
  Statement* stmt = Use<Statement>(handle, SQL_HANDLE_STMT);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (value == nullptr) return SQL_SUCCESS;
  switch (attribute) {
    case SQL_ATTR_APP_ROW_DESC:
    case SQL_ATTR_APP_PARAM_DESC:
    case SQL_ATTR_IMP_ROW_DESC:
    case SQL_ATTR_IMP_PARAM_DESC:
      *static_cast<SQLPOINTER*>(value) = &g_descriptor;
      return SQL_SUCCESS;
    case SQL_ATTR_QUERY_TIMEOUT:
      *static_cast<SQLULEN*>(value) = stmt->queryTimeout;
      return SQL_SUCCESS;
    default:
      *static_cast<SQLULEN*>(value) = 0;
      return SQL_SUCCESS;
  }
}
