#pragma once
// The server side of every statement the programs send: the database list, BACKUP, RESTORE and
// the killspid and killsessions procedures. Anything else is a syntax error, as a real server would mostly say.
#include <string>
#include <vector>

#include "tests/sqlserver/server_state.h"

namespace dorvik_sqlserver {

struct Diagnostic {
  std::string sqlState;
  int nativeError = 0;
  std::string message;  // without the driver's "[Microsoft]..." prefix
};

// One result of a batch, delivered by SQLExecDirect and then one per SQLMoreResults: rows,
// informational messages, or an error that ends the batch.
struct ResultPart {
  bool isError = false;
  std::vector<Diagnostic> diagnostics;
  bool hasRows = false;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
};

// `statement` is UTF-8; the caller holds the state's lock.
std::vector<ResultPart> RunStatement(const CServerState& state, const std::string& statement);

// A Windows path as the programs under Wine write it (Z:\a\b is /a/b); other drive letters go
// through $WINEPREFIX/dosdevices; a path starting with "/" is taken as it is. Empty if unknown.
std::string UnixPathFor(const std::string& windowsPath);

// The first file of a backup the test server writes; a restore checks it.
constexpr const char* kBackupHeader = "DORVIK-SQLSERVER-BACKUP";

}  // namespace dorvik_sqlserver
