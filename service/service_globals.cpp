#include "service/service_globals.h"

namespace dorvik {

std::string g_strProgramDir;
std::string g_strConfigPath;
std::string g_strRarDir;
std::atomic<bool> g_bSqlAvailable{true};
std::mutex g_csSqlBackup;
std::atomic<bool> g_bStopping{false};

}  // namespace dorvik
