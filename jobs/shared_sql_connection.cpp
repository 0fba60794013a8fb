#include "jobs/sql_access.h"

namespace dorvik {

const char* const kSqlNotConnected = "没有连接到 SQL Server";

void CSharedSqlConnection::Adopt(std::unique_ptr<ISqlConnection> connection) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_pConnection = std::move(connection);
}

bool CSharedSqlConnection::IsOpen() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pConnection != nullptr;
}

bool CSharedSqlConnection::Execute(const std::string& statement, std::string* error) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_pConnection) {
    *error = kSqlNotConnected;
    return false;
  }
  return m_pConnection->Execute(statement, error);
}

bool CSharedSqlConnection::QueryNames(const std::string& query, std::vector<std::string>* names,
                                      std::string* error) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_pConnection) {
    *error = kSqlNotConnected;
    return false;
  }
  return m_pConnection->QueryNames(query, names, error);
}

bool CSharedSqlConnection::TryQueryNames(const std::string& query, std::vector<std::string>* names,
                                         std::string* error, bool* bBusy) {
  std::unique_lock<std::mutex> lock(m_mutex, std::try_to_lock);
  *bBusy = !lock.owns_lock();
  if (*bBusy) return false;
  if (!m_pConnection) {
    *error = kSqlNotConnected;
    return false;
  }
  return m_pConnection->QueryNames(query, names, error);
}

}  // namespace dorvik
