#pragma once
// The settings dialog's "确定": which typed values may be saved, and the document that stores them.
#include <functional>
#include <string>

namespace dorvik {

constexpr const char* kRarNotNamedMessage = "rar路径不存在。";
constexpr const char* kRarMissingMessage = "rar路径不存在.";
constexpr const char* kStoreFolderMissingMessage = "设置的默认路径不存在";

// ".exe" added when the path has no "." at all, then ASCII letters lower-cased
// ("D:\Tools\RAR" -> "d:\tools\rar.exe"); double-byte characters are kept as they are.
std::string NormaliseTypedArchiverPath(const std::string& typed);

struct SettingsValues {
  std::string strMessage;    // why nothing may be saved; empty when all is well
  std::string strRarPath;    // the normalised archiver path
  std::string strStorePath;  // the typed default folder; empty keeps the stored one
};

// The checks in the order the user meets them: the archiver's name, its file, the folder. A
// refused folder refuses the whole save, the archiver change included.
SettingsValues CheckSettings(const std::string& typedRarPath, const std::string& typedStorePath,
                             const std::function<bool(const std::string&)>& fileExists,
                             const std::function<bool(const std::string&)>& folderExists);

// The document with every <rarpath>..</rarpath> holding the stored value replaced by the new
// one, and likewise <defStorePath> when a folder was given.
std::string ApplySettings(const std::string& document, const SettingsValues& values);

}  // namespace dorvik
