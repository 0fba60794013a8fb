// Diagnostic records of the test driver, read the ODBC 3 way and the ODBC 2 way (SQLError).
#include <cstring>

#include "tests/sqlserver/odbc_handles.h"

using namespace dorvik_sqlserver;

namespace {

SQLRETURN CopyRecord(const Diagnostic& d, SQLCHAR* sqlState, SQLINTEGER* native, SQLCHAR* message,
                     SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  if (sqlState != nullptr) {
    std::memcpy(sqlState, d.sqlState.c_str(), 5);
    sqlState[5] = 0;
  }
  if (native != nullptr) *native = d.nativeError;
  return CopyOut(d.message, message, bufferLength, textLength) ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN CopyText(const std::string& text, SQLPOINTER info, SQLSMALLINT bufferLength, SQLSMALLINT* length) {
  return CopyOut(text, static_cast<SQLCHAR*>(info), bufferLength, length) ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN CopyInteger(SQLINTEGER value, SQLPOINTER info) {
  if (info != nullptr) *static_cast<SQLINTEGER*>(info) = value;
  return SQL_SUCCESS;
}

}  // namespace

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR* sqlState,
                                SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT bufferLength,
                                SQLSMALLINT* textLength) {
  Handle* h = AnyHandle(type, handle);
  if (h == nullptr) return SQL_INVALID_HANDLE;
  if (record < 1) return SQL_ERROR;
  if (static_cast<std::size_t>(record) > h->diagnostics.size()) return SQL_NO_DATA;
  return CopyRecord(h->diagnostics[record - 1], sqlState, native, message, bufferLength, textLength);
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field,
                                  SQLPOINTER info, SQLSMALLINT bufferLength, SQLSMALLINT* length) {
  Handle* h = AnyHandle(type, handle);
  if (h == nullptr) return SQL_INVALID_HANDLE;
  switch (field) {  // header fields
    case SQL_DIAG_NUMBER: return CopyInteger(static_cast<SQLINTEGER>(h->diagnostics.size()), info);
    case SQL_DIAG_RETURNCODE:
      if (info != nullptr) *static_cast<SQLRETURN*>(info) = h->diagnostics.empty() ? SQL_SUCCESS : SQL_ERROR;
      return SQL_SUCCESS;
    case SQL_DIAG_CURSOR_ROW_COUNT:
    case SQL_DIAG_ROW_COUNT:
      if (info != nullptr) *static_cast<SQLLEN*>(info) = -1;
      return SQL_SUCCESS;
    case SQL_DIAG_DYNAMIC_FUNCTION: return CopyText("", info, bufferLength, length);
    case SQL_DIAG_DYNAMIC_FUNCTION_CODE: return CopyInteger(SQL_DIAG_UNKNOWN_STATEMENT, info);
    default: break;
  }
  if (record < 1 || static_cast<std::size_t>(record) > h->diagnostics.size()) return SQL_NO_DATA;
  const Diagnostic& d = h->diagnostics[record - 1];
  switch (field) {
    case SQL_DIAG_SQLSTATE: return CopyText(d.sqlState, info, bufferLength, length);
    case SQL_DIAG_NATIVE: return CopyInteger(d.nativeError, info);
    case SQL_DIAG_MESSAGE_TEXT: return CopyText(d.message, info, bufferLength, length);
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN:
      return CopyText(d.sqlState.compare(0, 2, "IM") == 0 ? "ODBC 3.0" : "ISO 9075", info, bufferLength, length);
    case SQL_DIAG_CONNECTION_NAME: return CopyText("", info, bufferLength, length);
    case SQL_DIAG_SERVER_NAME: return CopyText("DORVIK-TEST", info, bufferLength, length);
    case SQL_DIAG_ROW_NUMBER: return CopyInteger(SQL_ROW_NUMBER_UNKNOWN, info);
    case SQL_DIAG_COLUMN_NUMBER: return CopyInteger(SQL_COLUMN_NUMBER_UNKNOWN, info);
    default: return SQL_ERROR;
  }
}

// ODBC 2: hands out the most specific handle's records one by one, removing each.
SQLRETURN SQL_API SQLError(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, SQLCHAR* sqlState, SQLINTEGER* native,
                           SQLCHAR* message, SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  Handle* h = stmt != SQL_NULL_HSTMT ? AnyHandle(SQL_HANDLE_STMT, stmt)
              : dbc != SQL_NULL_HDBC ? AnyHandle(SQL_HANDLE_DBC, dbc)
                                     : AnyHandle(SQL_HANDLE_ENV, env);
  if (h == nullptr) return SQL_INVALID_HANDLE;
  if (h->diagnostics.empty()) return SQL_NO_DATA;
  Diagnostic d = h->diagnostics.front();
  h->diagnostics.erase(h->diagnostics.begin());
  return CopyRecord(d, sqlState, native, message, bufferLength, textLength);
}
