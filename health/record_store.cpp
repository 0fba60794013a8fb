#include "health/record_store.h"

#include "common/text.h"

namespace dorvik {

std::string HealthFolder(const std::string& programDir) { return programDir + "Health"; }
std::string RecordsFolder(const std::string& programDir) { return HealthFolder(programDir) + "\\records"; }
std::string ExpositionPath(const std::string& programDir) { return HealthFolder(programDir) + "\\dorvik.prom"; }
std::string ServiceRecordPath(const std::string& programDir) { return RecordsFolder(programDir) + "\\service.txt"; }

bool WriteFileWhole(IFileSystem& files, const std::string& path, const std::string& text, std::string* error) {
  const std::string temporary = path + ".tmp";
  // A leftover of a write that was cut off is of no use: the file it was for is still whole.
  if (files.Exists(temporary)) files.RemoveFile(temporary);
  std::unique_ptr<IFile> file = files.CreateNewFile(temporary);
  bool bWritten = file && file->Write(text.data(), text.size());
  if (file) bWritten = file->Close() && bWritten;
  if (bWritten && files.MoveOver(temporary, path)) return true;
  *error = path + "：" + files.LastErrorText();
  if (file) files.RemoveFile(temporary);  // the failure is already reported; a leftover is harmless
  return false;
}

StoredRecords ReadStoredRecords(IFileSystem& files, const std::string& programDir) {
  StoredRecords stored;
  const std::string folder = RecordsFolder(programDir);
  std::string text;
  if (files.ReadWholeFile(ServiceRecordPath(programDir), &text) && !ParseServiceRecord(text, &stored.service)) {
    stored.damaged.push_back(ServiceRecordPath(programDir));
  }
  for (const DirectoryEntry& entry : files.ListDirectory(folder)) {
    if (entry.isDirectory || entry.name == "service.txt" || !EndsWith(entry.name, ".txt")) continue;
    const std::string path = folder + "\\" + entry.name;
    RunRecord record;
    if (files.ReadWholeFile(path, &text) && ParseRunRecord(text, &record) &&
        RunRecordFileName(record.strKind, record.strKey) == entry.name) {
      stored.runs[entry.name] = record;
    } else {
      stored.damaged.push_back(path);
    }
  }
  return stored;
}

}  // namespace dorvik
