#include "tests/sqlserver/server_state.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace dorvik_sqlserver {

namespace {

const char* const kSystemDatabases[] = {"master", "model", "msdb", "tempdb"};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) out << line << '\n';
}

void Append(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << text << '\n';
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::string::size_type i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

CServerState::CServerState(std::string folder) : m_folder(std::move(folder)) {}

CServerState::CLock::CLock(const std::string& path) : m_fd(open(path.c_str(), O_RDWR | O_CREAT, 0644)) {
  if (m_fd >= 0) flock(m_fd, LOCK_EX);
}

CServerState::CLock::~CLock() {
  if (m_fd >= 0) close(m_fd);  // closing releases the lock
}

CServerState::CLock CServerState::Exclusive() const { return CLock(Path("lock")); }

bool CServerState::FolderExists() const {
  struct stat st;
  return stat(m_folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CServerState::IsSystemDatabase(const std::string& name) {
  for (const char* system : kSystemDatabases) {
    if (SameName(name, system)) return true;
  }
  return false;
}

std::vector<Database> CServerState::LoadDatabases() const {
  std::vector<Database> all;
  for (const char* system : kSystemDatabases) all.push_back({system, "system database"});
  for (const std::string& line : ReadLines(Path("databases"))) {
    std::string::size_type tab = line.find('\t');
    Database db{line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1)};
    if (!IsSystemDatabase(db.name)) all.push_back(db);
  }
  return all;
}

void CServerState::SaveUserDatabases(const std::vector<Database>& all) const {
  std::vector<std::string> lines;
  for (const Database& db : all) {
    if (!IsSystemDatabase(db.name)) lines.push_back(db.name + "\t" + db.content);
  }
  WriteLines(Path("databases"), lines);
}

std::string CServerState::FailureFor(const std::string& database) const {
  for (const std::string& line : ReadLines(Path("failures"))) {
    std::string::size_type tab = line.find('\t');
    if (tab != std::string::npos && SameName(line.substr(0, tab), database)) {
      return line.substr(tab + 1);
    }
  }
  return std::string();
}

std::vector<std::string> CServerState::LoadSessions() const { return ReadLines(Path("sessions")); }

void CServerState::SaveSessions(const std::vector<std::string>& sessions) const {
  WriteLines(Path("sessions"), sessions);
}

bool CServerState::RefusesConnections() const { return FileExists(Path("refuse_connections")); }

int CServerState::ConnectDelayMs() const {
  std::ifstream in(Path("connect_delay"));
  int ms = 0;
  in >> ms;
  return ms > 0 ? ms : 0;
}

bool CServerState::HasProcedure(const std::string& name) const {
  return FileExists(m_folder + "/" + name + ".sql");
}

void CServerState::CreateProcedure(const std::string& name, const std::string& text) const {
  std::ofstream out(m_folder + "/" + name + ".sql", std::ios::binary | std::ios::trunc);
  out << text;
}

void CServerState::LogStatement(const std::string& statement) const {
  Append(Path("queries.log"), statement);
}

void CServerState::LogConnection(const std::string& connectionString) const {
  Append(Path("connections.log"), connectionString);
}

}  // namespace dorvik_sqlserver
