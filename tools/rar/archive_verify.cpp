#include "tools/rar/archive_verify.h"

#include <memory>

#include "tools/rar/entry_reader.h"
#include "tools/rar/zip_reader.h"

namespace dorvik {
namespace rar {

namespace {

bool SameRecord(const ZipEntry& a, const ZipEntry& b) {
  return a.name == b.name && a.method == b.method && a.crc == b.crc &&
         a.compressedSize == b.compressedSize && a.uncompressedSize == b.uncompressedSize &&
         a.localOffset == b.localOffset;
}

bool CheckEntries(IFile& file, const std::vector<ZipEntry>& written, std::string& error) {
  std::vector<ZipEntry> entries;
  if (!ReadZipDirectory(file, entries, error)) return false;
  if (entries.size() != written.size()) {
    error = "its directory lists " + std::to_string(entries.size()) + " entries instead of " +
            std::to_string(written.size());
    return false;
  }
  std::vector<std::uint64_t> offsets;
  if (!LocateEntries(file, entries, offsets, error)) return false;
  const std::function<bool(const char*, std::size_t)> discard = [](const char*, std::size_t) { return true; };
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!SameRecord(entries[i], written[i])) {
      error = "its directory differs from what was written at " + written[i].name;
      return false;
    }
    if (ReadEntryData(file, entries[i], offsets[i], discard) != EntryReadResult::kOk) {
      error = "the data of " + written[i].name + " does not read back";
      return false;
    }
  }
  return true;
}

}  // namespace

bool VerifyWrittenArchive(IFileSystem& fs, const std::string& path,
                          const std::vector<ZipEntry>& written, std::string& error) {
  std::unique_ptr<IFile> file = fs.OpenForReading(path);
  if (!file) {
    error = "cannot open it again: " + fs.LastErrorText();
    return false;
  }
  const bool bOk = CheckEntries(*file, written, error);
  file->Close();  // read-only: nothing to lose if closing fails
  return bOk;
}

}  // namespace rar
}  // namespace dorvik
