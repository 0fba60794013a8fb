#include "tests/sqlserver/odbc_handles.h"

#include <algorithm>
#include <cstring>

namespace dorvik_sqlserver {

SQLRETURN Handle::Fail(const char* sqlState, const std::string& message, int native) {
  diagnostics.push_back({sqlState, native, kDriverPrefix + message});
  return SQL_ERROR;
}

Handle* AnyHandle(SQLSMALLINT type, SQLHANDLE h) {
  Handle* handle = static_cast<Handle*>(h);
  if (handle == nullptr || handle->magic != 0x44535156 || handle->type != type) return nullptr;
  return handle;
}

bool CopyOut(const std::string& text, SQLCHAR* buffer, SQLLEN bufferLength, SQLSMALLINT* length) {
  if (length != nullptr) *length = static_cast<SQLSMALLINT>(text.size());
  if (buffer == nullptr || bufferLength <= 0) return text.empty();
  std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(bufferLength - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return n == text.size();
}

}  // namespace dorvik_sqlserver
