#pragma once
// What each task's retention may delete. A task is cleaned only where no other task's backups
// can be taken for its own: its folder must be the one it names, and no task with another rule
// may give its backups the same names in the same folder.
#include <string>
#include <vector>

#include "common/file_system.h"

namespace dorvik {

struct FileRetentionScope {
  bool bClean = false;        // false: the task's backups are kept this pass
  long long nDays = 0;
  std::string strStorage;     // DesPath as written
  std::string strStorageKey;  // its RealPathKey, below which everything deleted must lie
  std::string strSourceName;
  std::string strKey;         // m_strID, the task's key in the backup log
};

struct SqlRetentionScope {
  bool bClean = false;
  long long nDays = 0;
  std::string strProjectFolder;  // despath + "\" + projectname
  std::string strProjectKey;     // its RealPathKey
  std::string strKey;            // projectname, the task's key in the backup log
};

// One scope per record of the document's task list, in document order.
std::vector<FileRetentionScope> FileRetentionScopes(const std::string& document, IFileSystem& files);
std::vector<SqlRetentionScope> SqlRetentionScopes(const std::string& document, IFileSystem& files);

}  // namespace dorvik
