#pragma once
// config.db as a whole: the console's reader and writers, and the service's silent reader.
// Every change is a read-modify-write of the whole document, serialised by a named lock and
// written atomically, so readers see the old or the new document and writers never lose
// each other's changes.
#include <functional>
#include <memory>
#include <string>

#include "config/config_file.h"
#include "config/config_reactions.h"

namespace dorvik {

class CConfigStore {
 public:
  CConfigStore(IConfigFile& file, IConfigReactions& reactions);

  // LoadConfigDocument: the unscrambled text; on a failed read the reaction's message is shown
  // and false returned (the text is then empty).
  bool LoadConfigDocument(std::string* document);
  // SaveConfigDocument: scrambles and replaces the whole file atomically, under the lock.
  // Refuses (returns false) to write a document that lost its section tags, e.g. one rebuilt
  // from a failed read. A failed write shows nothing: each caller has its own message.
  bool SaveConfigDocument(const std::string& document);

  // Read, change, save under the lock. `change` returns the new document; returning the same
  // text writes nothing. False when the read or the write failed, or the stored document is
  // damaged (nothing was changed then); a failed read shows its LoadConfigDocument message.
  bool UpdateConfigDocument(const std::function<std::string(const std::string&)>& change);

  bool ReplaceInConfigDocument(const std::string& oldText, const std::string& newText);
  bool AppendFileTaskRecord(const std::string& recordWithSeparator);
  bool AppendSqlTaskRecord(const std::string& recordWithSeparator);

 private:
  IConfigFile& m_file;
  IConfigReactions& m_reactions;
};

// The service's reader: at most 10,485,760 stored bytes, no messages, empty on any failure.
// *bOpened (when given) tells whether the file could be opened at all.
std::string ReadConfigDocumentQuietly(IConfigFile& file, bool* bOpened = nullptr);

}  // namespace dorvik
