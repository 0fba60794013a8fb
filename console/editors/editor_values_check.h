#pragma once
// The last check before an edited task is written: config.db stores values between tags without
// escaping, so a value holding "|||" or a tag character would break the document; and a source
// or storage folder whose name GBK cannot spell arrives from the folder browser or a drop with
// '?' in place of those characters (no Windows name holds one), a folder no job could reach.
#include <string>

#include "config/file_task_record.h"
#include "config/sql_task_record.h"

namespace dorvik {

// The message naming the first unsafe text among the values the record is built from, or the
// first folder whose name GBK cannot spell; empty when every value is safe.
std::string UnsafeFileTaskValues(const FileTaskEditorValues& values);
std::string UnsafeSqlTaskValues(const SqlTaskEditorValues& values);

}  // namespace dorvik
