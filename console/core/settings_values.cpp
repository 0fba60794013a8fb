#include "console/core/settings_values.h"

#include "common/gbk.h"
#include "common/text.h"
#include "config/document.h"
#include "console/core/archiver_choice.h"

namespace dorvik {

namespace {

std::string ReplaceStoredValue(const std::string& document, const char* tag,
                               const std::string& value) {
  return ReplaceAll(document, Tagged(tag, GetTag(document, tag)), Tagged(tag, value));
}

}  // namespace

std::string NormaliseTypedArchiverPath(const std::string& typed) {
  return AsciiLower(Contains(typed, ".") ? typed : typed + ".exe");
}

SettingsValues CheckSettings(const std::string& typedRarPath, const std::string& typedStorePath,
                             const std::function<bool(const std::string&)>& fileExists,
                             const std::function<bool(const std::string&)>& folderExists) {
  SettingsValues values;
  values.strRarPath = NormaliseTypedArchiverPath(typedRarPath);
  values.strStorePath = typedStorePath;
  switch (CheckArchiverPath(values.strRarPath, ArchiverNameRule::Settings, fileExists)) {
    case ArchiverPathCheck::Misnamed:
      values.strMessage = kRarNotNamedMessage;
      return values;
    case ArchiverPathCheck::Missing:
      values.strMessage = kRarMissingMessage;
      return values;
    case ArchiverPathCheck::Accepted:
      break;
  }
  if (!typedStorePath.empty() && !folderExists(typedStorePath))
    values.strMessage = kStoreFolderMissingMessage;
  return values;
}

std::string ApplySettings(const std::string& document, const SettingsValues& values) {
  std::string changed = ReplaceStoredValue(document, "rarpath", values.strRarPath);
  if (!values.strStorePath.empty())
    changed = ReplaceStoredValue(changed, "defStorePath", values.strStorePath);
  return changed;
}

}  // namespace dorvik
