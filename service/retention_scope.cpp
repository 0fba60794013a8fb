#include "service/retention_scope.h"

#include "common/gbk.h"
#include "config/document.h"
#include "config/project_name.h"
#include "service/owned_folder.h"
#include "service/retention.h"

namespace dorvik {

namespace {

constexpr long long kKeepAll = -1;

// A rule as a number to compare tasks by: kKeepAll for "保留" and for any rule that deletes
// nothing because it cannot be read.
long long RuleDays(const std::string& rule) {
  long long days = 0;
  return ReadRetentionDays(rule, &days) ? days : kKeepAll;
}

std::vector<std::string> StorageKeysOfFileTasks(const std::string& document, IFileSystem& files) {
  std::vector<std::string> keys;
  for (const std::string& record : SplitRecords("FileBackups", document)) {
    keys.push_back(RealPathKey(files, GetTag(record, "DesPath")));
  }
  return keys;
}

}  // namespace

std::vector<FileRetentionScope> FileRetentionScopes(const std::string& document, IFileSystem& files) {
  std::vector<FileRetentionScope> scopes;
  for (const std::string& record : SplitRecords("FileBackups", document)) {
    FileRetentionScope scope;
    scope.nDays = RuleDays(GetTag(record, "strissave"));
    const std::string source = GetTag(record, "SouPath");
    scope.strStorage = GetTag(record, "DesPath");
    scope.strSourceName = LastPathComponent(source);
    scope.strKey = GetTag(record, "m_strID");
    // A malformed path would run its last byte into the separator joined after it.
    if (IsWellFormedGbk(source) && IsWellFormedGbk(scope.strStorage) && !scope.strStorage.empty()) {
      scope.strStorageKey = RealPathKey(files, scope.strStorage);
    }
    scope.bClean = scope.nDays != kKeepAll && !scope.strStorageKey.empty();
    scopes.push_back(scope);
  }
  // Tasks whose sources end in the same name and share a storage folder make backups of the
  // same names: with different rules, neither may apply its rule to the other's.
  for (FileRetentionScope& scope : scopes) {
    for (const FileRetentionScope& other : scopes) {
      if (&other != &scope && other.nDays != scope.nDays && !other.strStorageKey.empty() &&
          other.strStorageKey == scope.strStorageKey &&
          AsciiLower(other.strSourceName) == AsciiLower(scope.strSourceName)) {
        scope.bClean = false;
      }
    }
  }
  return scopes;
}

std::vector<SqlRetentionScope> SqlRetentionScopes(const std::string& document, IFileSystem& files) {
  std::vector<SqlRetentionScope> scopes;
  for (const std::string& record : SplitRecords("SqlBackups", document)) {
    SqlRetentionScope scope;
    scope.nDays = RuleDays(GetTag(record, "issave"));
    const std::string storage = GetTag(record, "despath");
    const std::string project = GetTag(record, "projectname");
    scope.strKey = project;
    if (!storage.empty() && IsWellFormedGbk(storage) && IsPlainProjectName(project)) {
      scope.strProjectFolder = storage + "\\" + project;
      scope.strProjectKey = RealPathKey(files, scope.strProjectFolder);
      // The folder must be the storage folder's child of exactly that name, not a link or a
      // short-name alias leading elsewhere.
      const std::string storageKey = RealPathKey(files, storage);
      const std::string expected = BelowPrefix(storageKey) + AsciiLower(project);
      if (storageKey.empty() || scope.strProjectKey != expected) scope.strProjectKey.clear();
    }
    scope.bClean = scope.nDays != kKeepAll && !scope.strProjectKey.empty();
    scopes.push_back(scope);
  }
  // A project folder that is also another task's folder holds backups of that task too.
  const std::vector<std::string> fileStorageKeys = StorageKeysOfFileTasks(document, files);
  for (SqlRetentionScope& scope : scopes) {
    for (const SqlRetentionScope& other : scopes) {
      if (&other != &scope && other.strProjectKey == scope.strProjectKey) scope.bClean = false;
    }
    for (const std::string& key : fileStorageKeys) {
      if (key == scope.strProjectKey) scope.bClean = false;
    }
  }
  return scopes;
}

}  // namespace dorvik
