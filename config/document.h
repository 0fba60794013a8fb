#pragma once
// The tag-delimited text of config.db: sections, value lookup and record lists.
#include <string>
#include <vector>

namespace dorvik {

constexpr const char* kRecordSeparator = "|||";

// The text between the first opening tag and the first closing tag, both searched from the
// start; empty when either is missing, empty, or the closing tag comes first.
std::string GetTagValue(const std::string& text, const std::string& openTag,
                        const std::string& closeTag);

// Same, with the tags built from a bare name: GetTag(text, "status") looks up <status>..</status>.
std::string GetTag(const std::string& text, const std::string& name);

// Record texts of the section named `section` ("FileBackups" or "SqlBackups") in `document`.
std::vector<std::string> SplitRecords(const std::string& section, const std::string& document);

}  // namespace dorvik
