#include "tools/rar/archive_verify.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

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

// Unpacks every entry's data on all processors, each thread through its own handle: the check
// runs once compression has ended and the processors are free again.
class CDataCheck {
 public:
  CDataCheck(IFileSystem& fs, const std::string& path, const std::vector<ZipEntry>& entries,
             const std::vector<std::uint64_t>& offsets)
      : m_fs(fs), m_strPath(path), m_entries(entries), m_offsets(offsets) {}

  bool Run(IFile& first, std::string& error) {
    unsigned nThreads = std::thread::hardware_concurrency();
    if (nThreads == 0) nThreads = 1;
    if (nThreads > m_entries.size()) nThreads = static_cast<unsigned>(m_entries.size());
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < nThreads; ++i) threads.emplace_back([this] { CheckOwnHandle(); });
    Check(first);
    for (std::thread& t : threads) t.join();
    error = m_strError;
    return m_strError.empty();
  }

 private:
  void Fail(const std::string& message) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_strError.empty()) m_strError = message;
    m_bFailed = true;
  }

  void CheckOwnHandle() {
    std::unique_ptr<IFile> file = m_fs.OpenForReading(m_strPath);
    if (!file) return Fail("cannot open it again: " + m_fs.LastErrorText());
    Check(*file);
    file->Close();  // read-only: nothing to lose if closing fails
  }

  void Check(IFile& file) {
    const std::function<bool(const char*, std::size_t)> discard = [](const char*, std::size_t) { return true; };
    for (std::size_t i = m_nNext++; i < m_entries.size() && !m_bFailed; i = m_nNext++) {
      if (ReadEntryData(file, m_entries[i], m_offsets[i], discard) != EntryReadResult::kOk) {
        Fail("the data of " + m_entries[i].name + " does not read back");
      }
    }
  }

  IFileSystem& m_fs;
  const std::string& m_strPath;
  const std::vector<ZipEntry>& m_entries;
  const std::vector<std::uint64_t>& m_offsets;
  std::atomic<std::size_t> m_nNext{0};
  std::atomic<bool> m_bFailed{false};
  std::mutex m_mutex;
  std::string m_strError;
};

bool CheckEntries(IFileSystem& fs, const std::string& path, IFile& file,
                  const std::vector<ZipEntry>& written, std::string& error) {
  std::vector<ZipEntry> entries;
  if (!ReadZipDirectory(file, entries, error)) return false;
  if (entries.size() != written.size()) {
    error = "its directory lists " + std::to_string(entries.size()) + " entries instead of " +
            std::to_string(written.size());
    return false;
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!SameRecord(entries[i], written[i])) {
      error = "its directory differs from what was written at " + written[i].name;
      return false;
    }
  }
  std::vector<std::uint64_t> offsets;
  if (!LocateEntries(file, entries, offsets, error)) return false;
  CDataCheck check(fs, path, entries, offsets);
  return check.Run(file, error);
}

}  // namespace

bool VerifyWrittenArchive(IFileSystem& fs, const std::string& path,
                          const std::vector<ZipEntry>& written, std::string& error) {
  std::unique_ptr<IFile> file = fs.OpenForReading(path);
  if (!file) {
    error = "cannot open it again: " + fs.LastErrorText();
    return false;
  }
  const bool bOk = CheckEntries(fs, path, *file, written, error);
  file->Close();  // read-only: nothing to lose if closing fails
  return bOk;
}

}  // namespace rar
}  // namespace dorvik
