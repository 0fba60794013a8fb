#pragma once
// The tag-delimited text of config.db: sections, value lookup and record lists.
#include <string>
#include <utility>
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

// "<name>value</name>".
std::string Tagged(const std::string& name, const std::string& value);

// The text with the value between the first <name> and the first </name> replaced (the same
// positions GetTag reads); unchanged, and false returned, when GetTag would find nothing there.
bool SetTag(std::string* text, const std::string& name, const std::string& value);

// A record's text: each (tag, value) as <tag>value</tag>, four blanks between them.
std::string JoinRecordFields(const std::vector<std::pair<const char*, std::string>>& fields);

// The default document: the archiver path and three empty sections.
std::string DefaultConfigDocument(const std::string& rarPath);

// The first pair of section tags a document lacks, checked in the order the console reports
// them; a document rebuilt from a failed read lacks them all.
enum class ConfigDamage { None, RarPath, FileBackups, SqlBackups };
ConfigDamage FindConfigDamage(const std::string& document);

}  // namespace dorvik
