// The environment and connection side of the test driver: handles, attributes, connecting.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "tests/sqlserver/odbc_handles.h"
#include "tests/sqlserver/text_codec.h"

using namespace dorvik_sqlserver;

namespace {

std::string Text(const SQLCHAR* text, SQLINTEGER length) {
  if (text == nullptr) return std::string();
  const char* s = reinterpret_cast<const char*>(text);
  return length == SQL_NTS ? std::string(s) : std::string(s, static_cast<std::size_t>(length));
}

// The value of a key of a connection string ("Key=value;..." or "Key={value}"), any case.
std::string ConnectionValue(const std::string& text, const char* key) {
  std::string::size_type pos = 0;
  while (pos < text.size()) {
    std::string::size_type eq = text.find('=', pos);
    if (eq == std::string::npos) break;
    std::string name = text.substr(pos, eq - pos);
    std::string::size_type end = text.find(';', eq);
    std::string value = text.substr(eq + 1, end == std::string::npos ? std::string::npos : end - eq - 1);
    if (value.size() >= 2 && value.front() == '{' && value.back() == '}') value = value.substr(1, value.size() - 2);
    if (SameName(name, key)) return value;
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return std::string();
}

SQLRETURN Connect(Connection* dbc, const std::string& connectionString) {
  if (dbc->state) return dbc->Fail("08002", "Connection name in use");
  const char* folder = std::getenv("DORVIK_SQLSERVER_STATE");
  std::unique_ptr<CServerState> state(new CServerState(folder == nullptr ? "" : folder));
  if (folder == nullptr || !state->FolderExists()) {
    return dbc->Fail("08001", "DORVIK_SQLSERVER_STATE does not name the test server's folder.");
  }
  // A slow server: the wait holds no lock, so other clients' statements go on meanwhile.
  std::this_thread::sleep_for(std::chrono::milliseconds(state->ConnectDelayMs()));
  CServerState::CLock lock = state->Exclusive();
  state->LogConnection(connectionString + "\tlogin_timeout=" + std::to_string(dbc->loginTimeout) +
                       "\tconnection_timeout=" + std::to_string(dbc->connectionTimeout));
  std::string server = ConnectionValue(connectionString, "Server");
  std::string dsn = ConnectionValue(connectionString, "DSN");
  if (state->RefusesConnections() || (server.empty() && dsn.empty())) {
    dbc->diagnostics.push_back({"01000", 2, std::string(kNetworkPrefix) + "ConnectionOpen (Connect())."});
    dbc->diagnostics.push_back(
        {"08001", 17, std::string(kNetworkPrefix) + "SQL Server does not exist or access denied."});
    return SQL_ERROR;
  }
  std::string database = ConnectionValue(connectionString, "Database");
  if (!database.empty()) {
    bool found = false;
    for (const Database& db : state->LoadDatabases()) found = found || SameName(db.name, database);
    if (!found) {
      dbc->diagnostics.push_back({"42000", 4060,
                                  std::string(kServerPrefix) + "Cannot open database \"" + Utf8ToGbk(database) +
                                      "\" requested by the login. The login failed."});
      return SQL_ERROR;
    }
  }
  dbc->connectionString = connectionString;
  dbc->state = std::move(state);
  return SQL_SUCCESS;
}

SQLRETURN FreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
  Handle* h = AnyHandle(type, handle);
  if (h == nullptr) return SQL_INVALID_HANDLE;
  if (type == SQL_HANDLE_DBC && static_cast<Connection*>(h)->state) {
    return h->Fail("HY010", "Function sequence error");
  }
  h->magic = 0;
  delete h;
  return SQL_SUCCESS;
}

SQLRETURN SetInteger(SQLPOINTER value, SQLULEN number) {
  if (value != nullptr) *static_cast<SQLUINTEGER*>(value) = static_cast<SQLUINTEGER>(number);
  return SQL_SUCCESS;
}

SQLRETURN SetSmall(SQLPOINTER value, SQLUSMALLINT number) {
  if (value != nullptr) *static_cast<SQLUSMALLINT*>(value) = number;
  return SQL_SUCCESS;
}

const SQLUSMALLINT kSupported[] = {
    SQL_API_SQLALLOCHANDLE, SQL_API_SQLALLOCENV, SQL_API_SQLALLOCCONNECT, SQL_API_SQLALLOCSTMT,
    SQL_API_SQLFREEHANDLE, SQL_API_SQLFREEENV, SQL_API_SQLFREECONNECT, SQL_API_SQLFREESTMT,
    SQL_API_SQLSETENVATTR, SQL_API_SQLGETENVATTR, SQL_API_SQLSETCONNECTATTR, SQL_API_SQLGETCONNECTATTR,
    SQL_API_SQLDRIVERCONNECT, SQL_API_SQLCONNECT, SQL_API_SQLDISCONNECT, SQL_API_SQLEXECDIRECT,
    SQL_API_SQLNUMRESULTCOLS, SQL_API_SQLDESCRIBECOL, SQL_API_SQLCOLATTRIBUTE, SQL_API_SQLFETCH,
    SQL_API_SQLGETDATA, SQL_API_SQLMORERESULTS, SQL_API_SQLGETDIAGREC, SQL_API_SQLGETDIAGFIELD,
    SQL_API_SQLGETINFO, SQL_API_SQLGETFUNCTIONS, SQL_API_SQLSETSTMTATTR, SQL_API_SQLGETSTMTATTR,
    SQL_API_SQLROWCOUNT, SQL_API_SQLCLOSECURSOR, SQL_API_SQLENDTRAN, SQL_API_SQLERROR, SQL_API_SQLCANCEL};

bool IsSupported(SQLUSMALLINT id) {
  for (SQLUSMALLINT s : kSupported) {
    if (s == id) return true;
  }
  return false;
}

}  // namespace

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
  if (output == nullptr) return SQL_ERROR;
  *output = SQL_NULL_HANDLE;
  switch (type) {
    case SQL_HANDLE_ENV:
      *output = new Environment();
      return SQL_SUCCESS;
    case SQL_HANDLE_DBC: {
      Environment* env = Use<Environment>(input, SQL_HANDLE_ENV);
      if (env == nullptr) return SQL_INVALID_HANDLE;
      *output = new Connection(env);
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
      Connection* dbc = Use<Connection>(input, SQL_HANDLE_DBC);
      if (dbc == nullptr) return SQL_INVALID_HANDLE;
      if (!dbc->state) return dbc->Fail("08003", "Connection not open");
      *output = new Statement(dbc);
      return SQL_SUCCESS;
    }
    default:
      return SQL_ERROR;
  }
}

SQLRETURN SQL_API SQLAllocEnv(SQLHENV* env) { return SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, env); }
SQLRETURN SQL_API SQLAllocConnect(SQLHENV env, SQLHDBC* dbc) { return SQLAllocHandle(SQL_HANDLE_DBC, env, dbc); }
SQLRETURN SQL_API SQLAllocStmt(SQLHDBC dbc, SQLHSTMT* stmt) { return SQLAllocHandle(SQL_HANDLE_STMT, dbc, stmt); }

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) { return FreeHandle(type, handle); }
SQLRETURN SQL_API SQLFreeEnv(SQLHENV env) { return FreeHandle(SQL_HANDLE_ENV, env); }
SQLRETURN SQL_API SQLFreeConnect(SQLHDBC dbc) { return FreeHandle(SQL_HANDLE_DBC, dbc); }

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  Environment* env = Use<Environment>(handle, SQL_HANDLE_ENV);
  if (env == nullptr) return SQL_INVALID_HANDLE;
  if (attribute == SQL_ATTR_ODBC_VERSION) env->odbcVersion = static_cast<SQLINTEGER>(reinterpret_cast<SQLLEN>(value));
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                SQLINTEGER*) {
  Environment* env = Use<Environment>(handle, SQL_HANDLE_ENV);
  if (env == nullptr) return SQL_INVALID_HANDLE;
  if (value != nullptr) {
    *static_cast<SQLINTEGER*>(value) = attribute == SQL_ATTR_ODBC_VERSION ? env->odbcVersion : 0;
  }
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  Connection* dbc = Use<Connection>(handle, SQL_HANDLE_DBC);
  if (dbc == nullptr) return SQL_INVALID_HANDLE;
  SQLULEN number = reinterpret_cast<SQLULEN>(value);
  if (attribute == SQL_ATTR_LOGIN_TIMEOUT) dbc->loginTimeout = number;
  if (attribute == SQL_ATTR_CONNECTION_TIMEOUT) dbc->connectionTimeout = number;
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER bufferLength, SQLINTEGER* length) {
  Connection* dbc = Use<Connection>(handle, SQL_HANDLE_DBC);
  if (dbc == nullptr) return SQL_INVALID_HANDLE;
  switch (attribute) {
    case SQL_ATTR_LOGIN_TIMEOUT: return SetInteger(value, dbc->loginTimeout);
    case SQL_ATTR_CONNECTION_TIMEOUT: return SetInteger(value, dbc->connectionTimeout);
    case SQL_ATTR_AUTOCOMMIT: return SetInteger(value, SQL_AUTOCOMMIT_ON);
    case SQL_ATTR_CONNECTION_DEAD: return SetInteger(value, dbc->state ? SQL_CD_FALSE : SQL_CD_TRUE);
    case SQL_ATTR_CURRENT_CATALOG: {
      SQLSMALLINT n = 0;
      CopyOut("master", static_cast<SQLCHAR*>(value), bufferLength, &n);
      if (length != nullptr) *length = n;
      return SQL_SUCCESS;
    }
    default: return SetInteger(value, 0);
  }
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC handle, SQLHWND, SQLCHAR* in, SQLSMALLINT inLength, SQLCHAR* out,
                                   SQLSMALLINT outLength, SQLSMALLINT* outWritten, SQLUSMALLINT) {
  Connection* dbc = Use<Connection>(handle, SQL_HANDLE_DBC);
  if (dbc == nullptr) return SQL_INVALID_HANDLE;
  std::string text = Text(in, inLength);
  SQLRETURN rc = Connect(dbc, GbkToUtf8(text));
  if (SQL_SUCCEEDED(rc)) CopyOut(text, out, outLength, outWritten);
  return rc;
}

SQLRETURN SQL_API SQLConnect(SQLHDBC handle, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR*, SQLSMALLINT,
                             SQLCHAR*, SQLSMALLINT) {
  Connection* dbc = Use<Connection>(handle, SQL_HANDLE_DBC);
  if (dbc == nullptr) return SQL_INVALID_HANDLE;
  return Connect(dbc, "DSN=" + GbkToUtf8(Text(dsn, dsnLength)));
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle) {
  Connection* dbc = Use<Connection>(handle, SQL_HANDLE_DBC);
  if (dbc == nullptr) return SQL_INVALID_HANDLE;
  if (!dbc->state) return dbc->Fail("08003", "Connection not open");
  dbc->state.reset();
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT bufferLength,
                             SQLSMALLINT* length) {
  Connection* dbc = Use<Connection>(handle, SQL_HANDLE_DBC);
  if (dbc == nullptr) return SQL_INVALID_HANDLE;
  const char* text = nullptr;
  switch (type) {
    case SQL_DRIVER_ODBC_VER: text = "03.00"; break;
    case SQL_ODBC_VER: text = "03.00.0000"; break;
    case SQL_DRIVER_NAME: text = "libdorvik_sqlserver.so"; break;
    case SQL_DRIVER_VER: text = "01.00.0000"; break;
    case SQL_DBMS_NAME: text = "Microsoft SQL Server"; break;
    case SQL_DBMS_VER: text = "15.00.2000"; break;
    case SQL_SERVER_NAME: text = "DORVIK-TEST"; break;
    case SQL_DATA_SOURCE_NAME: text = ""; break;
    case SQL_DATABASE_NAME: text = "master"; break;
    case SQL_USER_NAME: text = "dbo"; break;
    case SQL_IDENTIFIER_QUOTE_CHAR: text = "\""; break;
    case SQL_DATA_SOURCE_READ_ONLY: text = "N"; break;
    case SQL_CURSOR_COMMIT_BEHAVIOR:
    case SQL_CURSOR_ROLLBACK_BEHAVIOR: return SetSmall(value, SQL_CB_PRESERVE);
    case SQL_TXN_CAPABLE: return SetSmall(value, SQL_TC_ALL);
    case SQL_MAX_CONCURRENT_ACTIVITIES:
    case SQL_MAX_DRIVER_CONNECTIONS: return SetSmall(value, 0);
    case SQL_GETDATA_EXTENSIONS: return SetInteger(value, SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER);
    case SQL_ASYNC_MODE: return SetInteger(value, SQL_AM_NONE);
    default: return dbc->Fail("HY096", "Information type out of range");
  }
  CopyOut(text, static_cast<SQLCHAR*>(value), bufferLength, length);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetFunctions(SQLHDBC handle, SQLUSMALLINT id, SQLUSMALLINT* supported) {
  Connection* dbc = Use<Connection>(handle, SQL_HANDLE_DBC);
  if (dbc == nullptr) return SQL_INVALID_HANDLE;
  if (supported == nullptr) return SQL_SUCCESS;
  if (id == SQL_API_ODBC3_ALL_FUNCTIONS) {
    std::memset(supported, 0, sizeof(SQLUSMALLINT) * SQL_API_ODBC3_ALL_FUNCTIONS_SIZE);
    for (SQLUSMALLINT s : kSupported) supported[s >> 4] |= static_cast<SQLUSMALLINT>(1 << (s & 0xF));
  } else if (id == SQL_API_ALL_FUNCTIONS) {
    for (SQLUSMALLINT i = 0; i < 100; ++i) supported[i] = IsSupported(i) ? SQL_TRUE : SQL_FALSE;
  } else {
    *supported = IsSupported(id) ? SQL_TRUE : SQL_FALSE;
  }
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT) {
  return AnyHandle(type, handle) == nullptr ? SQL_INVALID_HANDLE : SQL_SUCCESS;
}
