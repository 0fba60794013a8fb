#include "config/ensure_document.h"

#include "common/gbk.h"
#include "config/config_store.h"
#include "config/document.h"
#include "config/file_task_record.h"
#include "config/scramble.h"

namespace dorvik {

const char* const kDefaultArchiverPaths[3] = {
    "C:\\Program Files\\WinRAR\\rar.exe",
    "D:\\Program Files\\WinRAR\\rar.exe",
    "E:\\Program Files\\WinRAR\\rar.exe",
};

namespace {

constexpr const char* kDamagedMessage = "配置文件被损坏！请重启应用程序。";

std::string ChooseArchiver(IConfigReactions& reactions, const PathExists& pathExists) {
  for (const char* path : kDefaultArchiverPaths) {
    if (pathExists(path)) return path;
  }
  return reactions.AskArchiverPath();
}

// Writes the default document unless another console created config.db meanwhile.
bool CreateDefaultDocument(IConfigFile& file, const std::string& rarPath) {
  std::unique_ptr<IConfigFile::CLock> lock = file.LockForUpdate();
  if (!lock) return false;
  if (file.Exists()) return true;
  return file.WriteStored(ScrambleText(DefaultConfigDocument(rarPath)));
}

}  // namespace

std::string DamagedConfigSuffix(const LocalTime& now) {
  return FormatLocalTime(now, ".damaged-%Y%m%d-%H%M%S");
}

EnsureResult EnsureConfigDocument(IConfigFile& file, IConfigReactions& reactions,
                                  const PathExists& pathExists, IClock& clock,
                                  ConfigStartup* startup) {
  if (!file.Exists()) {
    std::string rarPath = ChooseArchiver(reactions, pathExists);
    if (rarPath.empty()) {
      reactions.EndProgram();
      return EnsureResult::Ended;
    }
    if (!CreateDefaultDocument(file, rarPath)) {
      reactions.ShowMessage("创建文件出错！", MessageIcon::Stop);
      return EnsureResult::NotLoaded;
    }
  }

  CConfigStore store(file, reactions);
  std::string document;
  if (!store.LoadConfigDocument(&document)) {
    // The read itself failed (its message is shown): the file may be sound, so it is kept.
    reactions.EndProgram();
    return EnsureResult::Ended;
  }
  ConfigDamage damage = FindConfigDamage(document);
  if (damage != ConfigDamage::None) {
    // One damaged byte must not cost every task: the file is kept under a dated name and the
    // next start writes the default document. A file that cannot be moved stays where it is
    // and is reported damaged again at the next start.
    std::string movedTo;
    std::unique_ptr<IConfigFile::CLock> lock = file.LockForUpdate();
    const bool moved = file.MoveAside(DamagedConfigSuffix(clock.Now()), &movedTo);
    const std::string where = moved ? "\n损坏的文件已另存为：" + movedTo
                                    : "\n无法将损坏的文件另存为：" + movedTo + "，它仍留在原处。";
    reactions.ShowMessage(std::string(kDamagedMessage) + where, damage == ConfigDamage::RarPath
                                                       ? MessageIcon::Stop
                                                       : MessageIcon::None);
    reactions.EndProgram();
    return EnsureResult::Ended;
  }

  startup->strRarPath = GetTag(document, "rarpath");
  startup->strRarDir = DirectoryWithSlash(startup->strRarPath);
  startup->strDefStorePath = GetTag(document, "defStorePath");
  startup->fileTaskRecords = SplitRecords("FileBackups", document);
  startup->nNextFileTaskId = NextFileTaskId(startup->fileTaskRecords);
  if (!pathExists(startup->strRarPath)) {
    // The tasks stay as they are; the settings page can point to the archiver again.
    reactions.ShowMessage("找不到压缩程序“" + startup->strRarPath +
                              "”，压缩备份将会失败。请在设置中重新选择rar.exe。",
                          MessageIcon::Warning);
  }
  return EnsureResult::Ready;
}

}  // namespace dorvik
