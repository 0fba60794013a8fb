#include "service/backup_service.h"

#include <string>

#include "service/service_globals.h"
#include "service/service_threads.h"

namespace dorvik {

namespace {

constexpr DWORD kSaveCurrentControl = 128;

std::string ServiceKey(const char* name, const char* subKey) {
  return std::string("SYSTEM\\CurrentControlSet\\Services\\") + name + "\\" + subKey;
}

// Leaves *value unchanged unless the value is there as a 32-bit number.
void ReadDword(HKEY hKey, const char* name, DWORD* value) {
  DWORD dwType = 0, dwData = 0, dwSize = sizeof dwData;
  if (RegQueryValueExA(hKey, name, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwData), &dwSize) ==
          ERROR_SUCCESS &&
      dwType == REG_DWORD) {
    *value = dwData;
  }
}

}  // namespace

CBackupService::CBackupService() : CNTService("Dorviksvc") {}

void CBackupService::Run() {
  // The counter moves once a second; the flag is looked at every 100 ms so that a stop ends
  // the service well within a second.
  while (m_bRunning) {
    for (int i = 0; i < 10 && m_bRunning; ++i) Sleep(100);
    m_nCurrent += m_nInc;
  }
}

bool CBackupService::OnStarting() {
  CRegistryKey hKey;
  // Absent values (or an absent key) leave the defaults: nothing to report.
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ServiceKey(m_szServiceName, "Parameters").c_str(), 0,
                    KEY_QUERY_VALUE, hKey.Receive()) == ERROR_SUCCESS) {
    ReadDword(hKey.Get(), "Start", &m_nStart);
    ReadDword(hKey.Get(), "Inc", &m_nInc);
  }
  m_nCurrent = m_nStart;
  return true;
}

void CBackupService::OnStarted() { g_Thread.Start(); }

void CBackupService::OnStopRequest() {
  // Watchers and the retention loop start nothing new once the stop has been asked for.
  g_bStopping = true;
}

bool CBackupService::OnCustomControl(DWORD dwOpcode) {
  if (dwOpcode != kSaveCurrentControl) return false;
  SaveCurrentValue();
  return true;
}

void CBackupService::SaveCurrentValue() {
  CRegistryKey hKey;
  const DWORD dwCurrent = m_nCurrent;
  // A registry failure here only loses the saved counter; nothing else depends on it.
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, ServiceKey(m_szServiceName, "Status").c_str(), 0,
                      nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, hKey.Receive(),
                      nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(hKey.Get(), "Current", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwCurrent),
                   sizeof dwCurrent);
  }
}

}  // namespace dorvik
