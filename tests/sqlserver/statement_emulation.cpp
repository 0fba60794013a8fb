#include "tests/sqlserver/statement_emulation.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/sqlserver/sql_tokens.h"
#include "tests/sqlserver/text_codec.h"

namespace dorvik_sqlserver {

namespace {

ResultPart ErrorPart(std::vector<Diagnostic> diagnostics) {
  ResultPart part;
  part.isError = true;
  part.diagnostics = std::move(diagnostics);
  return part;
}

ResultPart InfoPart(std::vector<Diagnostic> diagnostics) {
  ResultPart part;
  part.diagnostics = std::move(diagnostics);
  return part;
}

std::vector<ResultPart> Fail(std::vector<Diagnostic> diagnostics) {
  return {ErrorPart(std::move(diagnostics))};
}

std::vector<ResultPart> SyntaxError(const std::string& near) {
  return Fail({{"42000", 102, "Incorrect syntax near '" + near + "'."}});
}

Diagnostic Terminating(const char* what) {
  return {"42000", 3013, std::string(what) + " is terminating abnormally."};
}

// A cursor over the tokens with the few checks the grammar below needs.
class CParser {
 public:
  explicit CParser(const std::vector<Token>& tokens) : m_tokens(tokens) {}
  bool AtEnd() const { return m_pos >= m_tokens.size(); }
  const Token* Peek() const { return AtEnd() ? nullptr : &m_tokens[m_pos]; }
  bool Keyword(const char* word) {
    if (AtEnd() || !IsKeyword(m_tokens[m_pos], word)) return false;
    ++m_pos;
    return true;
  }
  bool Symbol(char c) {
    if (AtEnd() || m_tokens[m_pos].kind != Token::Symbol || m_tokens[m_pos].text[0] != c) return false;
    ++m_pos;
    return true;
  }
  bool Identifier(std::string* out) {
    if (AtEnd()) return false;
    const Token& t = m_tokens[m_pos];
    if (t.kind != Token::Word && t.kind != Token::Bracketed) return false;
    *out = t.text;
    ++m_pos;
    return true;
  }
  bool String(std::string* out) {
    if (AtEnd() || m_tokens[m_pos].kind != Token::String) return false;
    *out = m_tokens[m_pos++].text;
    return true;
  }
  // The end of the statement, an optional ";" allowed.
  bool End() {
    Symbol(';');
    return AtEnd();
  }
  // What a syntax error names: the token where parsing stopped.
  std::string Near() const {
    if (AtEnd()) return m_tokens.empty() ? std::string() : m_tokens.back().text;
    return m_tokens[m_pos].text;
  }

 private:
  const std::vector<Token>& m_tokens;
  std::size_t m_pos = 0;
};

const Database* FindDatabase(const std::vector<Database>& all, const std::string& name) {
  for (const Database& db : all) {
    if (SameName(db.name, name)) return &db;
  }
  return nullptr;
}

bool ParentFolderExists(const std::string& unixPath) {
  std::string::size_type slash = unixPath.rfind('/');
  std::string parent = slash == 0 ? "/" : unixPath.substr(0, slash);
  struct stat st;
  return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string OsErrorText(int error) {
  switch (error) {
    case 2: return "2(The system cannot find the file specified.)";
    case 3: return "3(The system cannot find the path specified.)";
    case 5: return "5(Access is denied.)";
    default: return "87(The parameter is incorrect.)";
  }
}

Diagnostic CannotOpenDevice(const std::string& path, int osError) {
  return {"42000", 3201,
          "Cannot open backup device '" + path + "'. Operating system error " + OsErrorText(osError) + "."};
}

int Pages(const Database& db) { return 160 + static_cast<int>(db.content.size() / 8192); }

std::vector<Diagnostic> ProcessedMessages(const Database& db, const char* what) {
  int pages = Pages(db);
  return {{"01000", 4035,
           "Processed " + std::to_string(pages) + " pages for database '" + db.name + "', file '" +
               db.name + "' on file 1."},
          {"01000", 4035,
           "Processed 2 pages for database '" + db.name + "', file '" + db.name + "_log' on file 1."},
          {"01000", 3014,
           std::string(what) + " successfully processed " + std::to_string(pages + 2) +
               " pages in 0.052 seconds (25.143 MB/sec)."}};
}

std::vector<ResultPart> DatabaseList(const CServerState& state, CParser& p) {
  ResultPart rows;
  rows.hasRows = true;
  std::vector<bool> isName;
  do {
    std::string column;
    if (p.Symbol('*')) {
      rows.columns.insert(rows.columns.end(), {"name", "dbid"});
      isName.insert(isName.end(), {true, false});
      continue;
    }
    if (!p.Identifier(&column) || (!SameName(column, "name") && !SameName(column, "dbid"))) {
      return Fail({{"42S22", 207, "Invalid column name '" + p.Near() + "'."}});
    }
    rows.columns.push_back(column);
    isName.push_back(SameName(column, "name"));
  } while (p.Symbol(','));
  std::string table, owner;
  if (!p.Keyword("from") || !p.Identifier(&table)) return SyntaxError(p.Near());
  if (p.Symbol('.')) {
    if (!SameName(table, "master")) return SyntaxError(table);
    p.Identifier(&owner);
    if (!p.Symbol('.') || !p.Identifier(&table)) return SyntaxError(p.Near());
  }
  if (!SameName(table, "sysdatabases")) {
    return Fail({{"42S02", 208, "Invalid object name '" + table + "'."}});
  }
  std::string key;
  bool ordered = p.Keyword("order");
  if (ordered && (!p.Keyword("by") || !p.Identifier(&key) || !SameName(key, "name"))) {
    return SyntaxError(p.Near());
  }
  if (!p.End()) return SyntaxError(p.Near());

  std::vector<Database> all = state.LoadDatabases();
  std::vector<std::pair<std::string, int>> named;
  for (std::size_t i = 0; i < all.size(); ++i) named.push_back({all[i].name, static_cast<int>(i + 1)});
  if (ordered) {
    std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
      std::string x = a.first, y = b.first;
      for (char& c : x) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      for (char& c : y) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return x < y;
    });
  }
  for (const auto& db : named) {
    std::vector<std::string> row;
    for (bool name : isName) row.push_back(name ? db.first : std::to_string(db.second));
    rows.rows.push_back(row);
  }
  return {rows};
}

std::vector<ResultPart> Backup(const CServerState& state, CParser& p) {
  std::string name, path;
  if (!p.Identifier(&name)) return SyntaxError(p.Near());
  if (!p.Keyword("to") || !p.Keyword("disk") || !p.Symbol('=') || !p.String(&path) || !p.End()) {
    return SyntaxError(p.Near());
  }
  std::vector<Database> all = state.LoadDatabases();
  const Database* db = FindDatabase(all, name);
  const char* what = "BACKUP DATABASE";
  if (db == nullptr || SameName(name, "tempdb")) {
    return Fail({{"08004", 911,
                  "Database '" + name + "' does not exist. Make sure that the name is entered correctly."},
                 Terminating(what)});
  }
  std::string failure = state.FailureFor(name);
  if (failure == "rights") {
    return Fail({{"42000", 262, "BACKUP DATABASE permission denied in database '" + db->name + "'."},
                 Terminating(what)});
  }
  std::string unixPath = UnixPathFor(path);
  if (unixPath.empty() || !ParentFolderExists(unixPath)) {
    return Fail({CannotOpenDevice(path, 3), Terminating(what)});
  }
  std::ofstream out(unixPath, std::ios::binary | std::ios::trunc);
  if (!out) return Fail({CannotOpenDevice(path, errno == EACCES ? 5 : 3), Terminating(what)});
  std::vector<Diagnostic> processed = ProcessedMessages(*db, what);
  if (failure == "disk-full") {
    // The server reports progress first; the failure only arrives with the next result.
    out.close();
    std::remove(unixPath.c_str());
    return {InfoPart({processed[0]}),
            ErrorPart({{"42000", 3202, "Write on '" + path + "' failed: 112(There is not enough space on the disk.)"},
                       Terminating(what)})};
  }
  out << kBackupHeader << "\ndatabase=" << db->name << "\ncontent=" << db->content << "\n";
  out.close();
  if (!out) return Fail({CannotOpenDevice(path, 5), Terminating(what)});
  std::vector<ResultPart> parts;
  for (const Diagnostic& d : processed) parts.push_back(InfoPart({d}));
  return parts;
}

// Reads what Backup wrote; false when the file is not one of our backups.
bool ReadBackupFile(const std::string& unixPath, Database* db) {
  std::ifstream in(unixPath, std::ios::binary);
  std::string header, name, content;
  if (!std::getline(in, header) || header != kBackupHeader) return false;
  if (!std::getline(in, name) || name.compare(0, 9, "database=") != 0) return false;
  if (!std::getline(in, content) || content.compare(0, 8, "content=") != 0) return false;
  db->name = name.substr(9);
  db->content = content.substr(8);
  return true;
}

std::vector<ResultPart> Restore(const CServerState& state, CParser& p) {
  std::string name, path;
  if (!p.Identifier(&name)) return SyntaxError(p.Near());
  if (!p.Keyword("from") || !p.Keyword("disk") || !p.Symbol('=') || !p.String(&path) || !p.End()) {
    return SyntaxError(p.Near());
  }
  const char* what = "RESTORE DATABASE";
  std::string unixPath = UnixPathFor(path);
  struct stat st;
  if (unixPath.empty() || !ParentFolderExists(unixPath)) return Fail({CannotOpenDevice(path, 3), Terminating(what)});
  if (stat(unixPath.c_str(), &st) != 0) return Fail({CannotOpenDevice(path, 2), Terminating(what)});
  Database backup;
  if (!ReadBackupFile(unixPath, &backup)) {
    return Fail({{"42000", 3241,
                  "The media family on device '" + path +
                      "' is incorrectly formed. SQL Server cannot process this media family."},
                 Terminating(what)});
  }
  std::vector<Database> all = state.LoadDatabases();
  Database* target = nullptr;
  for (Database& db : all) {
    if (SameName(db.name, name)) target = &db;
  }
  if (target != nullptr && !SameName(target->name, backup.name)) {
    return Fail({{"42000", 3154,
                  "The backup set holds a backup of a database other than the existing '" + target->name +
                      "' database."},
                 Terminating(what)});
  }
  for (const std::string& session : state.LoadSessions()) {
    if (SameName(session, name)) {
      return Fail({{"42000", 3101, "Exclusive access could not be obtained because the database is in use."},
                   Terminating(what)});
    }
  }
  if (target != nullptr) {
    target->content = backup.content;
  } else {
    all.push_back({name, backup.content});
  }
  state.SaveUserDatabases(all);
  Database restored{name, backup.content};
  std::vector<ResultPart> parts;
  for (const Diagnostic& d : ProcessedMessages(restored, what)) parts.push_back(InfoPart({d}));
  return parts;
}

// killspid's parameter is varchar(20): longer names arrive cut, as bytes of the code page.
// killsessions takes a sysname, which holds every name.
std::string AsVarchar20(const std::string& utf8) {
  std::string gbk = Utf8ToGbk(utf8);
  std::string::size_type n = 0;
  while (n < gbk.size()) {
    std::string::size_type len = static_cast<unsigned char>(gbk[n]) >= 0x81 ? 2 : 1;
    if (n + len > 20) break;
    n += len;
  }
  return GbkToUtf8(gbk.substr(0, n));
}

// The procedures the test server knows, by their lower-case names.
bool IsKnownProcedure(const std::string& name) {
  return SameName(name, "killspid") || SameName(name, "killsessions");
}

std::string StoredName(const std::string& name) {
  return SameName(name, "killspid") ? "killspid" : "killsessions";
}

std::vector<ResultPart> ExecProcedure(const CServerState& state, CParser& p) {
  std::string procedure, argument;
  if (!p.Identifier(&procedure)) return SyntaxError(p.Near());
  if (!IsKnownProcedure(procedure) || !state.HasProcedure(StoredName(procedure))) {
    return Fail({{"42000", 2812, "Could not find stored procedure '" + procedure + "'."}});
  }
  if (!p.String(&argument) || !p.End()) return SyntaxError(p.Near());
  std::string dbname = SameName(procedure, "killspid") ? AsVarchar20(argument) : argument;
  std::vector<std::string> kept;
  for (const std::string& session : state.LoadSessions()) {
    if (!SameName(session, dbname)) kept.push_back(session);
  }
  state.SaveSessions(kept);
  return {};
}

std::vector<ResultPart> CreateProcedure(const CServerState& state, CParser& p, const std::string& text) {
  std::string name;
  if (!(p.Keyword("proc") || p.Keyword("procedure")) || !p.Identifier(&name)) return SyntaxError(p.Near());
  if (!IsKnownProcedure(name)) {
    return Fail({{"42000", 2760, "The test server only knows the procedures killspid and killsessions."}});
  }
  if (state.HasProcedure(StoredName(name))) {
    return Fail({{"42S01", 2714, "There is already an object named '" + name + "' in the database."}});
  }
  state.CreateProcedure(StoredName(name), text);
  return {};
}

}  // namespace

std::string UnixPathFor(const std::string& windowsPath) {
  if (!windowsPath.empty() && windowsPath[0] == '/') return windowsPath;
  if (windowsPath.size() < 3 || windowsPath[1] != ':' || windowsPath[2] != '\\') return std::string();
  char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
  std::string rest = windowsPath.substr(3);
  std::replace(rest.begin(), rest.end(), '\\', '/');
  if (drive == 'z') return "/" + rest;
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix == nullptr) return std::string();
  std::string root = std::string(prefix) + "/dosdevices/" + drive + ":";
  struct stat st;
  if (stat(root.c_str(), &st) != 0) return std::string();
  return root + "/" + rest;
}

std::vector<ResultPart> RunStatement(const CServerState& state, const std::string& statement) {
  state.LogStatement(statement);
  std::vector<Token> tokens;
  std::string error;
  if (!Tokenize(statement, &tokens, &error)) return Fail({{"42000", 105, error}});
  CParser p(tokens);
  if (p.Keyword("select")) return DatabaseList(state, p);
  if (p.Keyword("backup")) {
    if (!p.Keyword("database")) return SyntaxError(p.Near());
    return Backup(state, p);
  }
  if (p.Keyword("restore")) {
    if (!p.Keyword("database")) return SyntaxError(p.Near());
    return Restore(state, p);
  }
  if (p.Keyword("exec") || p.Keyword("execute")) return ExecProcedure(state, p);
  if (p.Keyword("create")) return CreateProcedure(state, p, statement);
  return SyntaxError(p.Near());
}

}  // namespace dorvik_sqlserver
