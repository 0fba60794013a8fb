#include "console/core/file_backup_start.h"

#include "config/file_task_record.h"

namespace dorvik {

FileBackupStart PrepareFileBackup(const std::string& recordText,
                                  const std::function<bool(const std::string&)>& pathExists) {
  const FileTaskRecord task = ReadFileTaskRecord(recordText);
  FileBackupStart start;
  if (!pathExists(task.m_strSouPath)) {
    start.strRefusal = "源文件路径不存在！";
  } else if (!pathExists(task.m_strDesPath)) {
    start.strRefusal = "目标文件路径不存在！";
  } else if (task.m_strIsCut != "是" && task.m_strIsCut != "否" &&
             task.m_strIsCut != "备份后压缩") {
    start.strRefusal = "压缩出错";
  }
  start.bArchive = task.m_strIsCut == "是";
  start.request = {recordText, task.m_strSouPath, task.m_strDesPath, task.m_strFile,
                   task.m_strIsCut == "备份后压缩"};
  return start;
}

}  // namespace dorvik
