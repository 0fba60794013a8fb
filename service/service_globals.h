#pragma once
// Process-wide values of the service, set on the main thread before any worker starts and only
// read afterwards (g_bSqlAvailable is cleared by the starter before any SQL watcher exists).
#include <atomic>
#include <mutex>
#include <string>

namespace dorvik {

extern std::string g_strProgramDir;   // folder of Dorviksvc.exe, with its trailing backslash
extern std::string g_strConfigPath;   // g_strProgramDir + "config.db"
extern std::string g_strRarDir;       // the rarpath value up to and including its last backslash
extern std::atomic<bool> g_bSqlAvailable;
extern std::mutex g_csSqlBackup;      // one Backup.exe at a time
extern std::atomic<bool> g_bStopping; // set by the stop control

}  // namespace dorvik
