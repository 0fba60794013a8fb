#pragma once
// Values are stored between tags without escaping, so some input would break config.db's
// structure. The editors refuse such input with the message below.
#include <string>

namespace dorvik {

// What in `value` would break a record or the document: "|||" (splits the record), "<" or ">"
// (could form or cut a tag). Empty when the value is safe. Bytes are looked at as the record
// splitter sees them, GBK trail bytes included.
std::string FindUnsafeRecordText(const std::string& value);

// The message for the editors: names the offending text.
std::string UnsafeRecordTextMessage(const std::string& found);

}  // namespace dorvik
