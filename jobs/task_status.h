#pragma once
// The console's status write-back after a file run it started: the task's <status> in config.db
// becomes the run's end time.
#include <string>

#include "common/clock.h"
#include "config/config_reactions.h"
#include "config/config_store.h"

namespace dorvik {

// Rewrites "<status>…</status>" inside the record text and the record inside config.db (left
// alone when the record no longer occurs). Returns the time text written ("%Y-%m-%d %H:%M:%S"),
// which becomes the console's status text. When config.db cannot be written it shows
// "配置文件打开失败" and ends the program through the reactions, and returns "".
std::string UpdateTaskStatus(CConfigStore& store, IConfigReactions& reactions, IClock& clock,
                             const std::string& strRecord);

}  // namespace dorvik
