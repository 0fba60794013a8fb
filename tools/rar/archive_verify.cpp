#include "tools/rar/archive_verify.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "tools/rar/entry_reader.h"
#include "tools/rar/zip_reader.h"

namespace dorvik {
namespace rar {

namespace {

const std::size_t kBlock = 1 << 20;

bool SameRecord(const ZipEntry& a, const ZipEntry& b) {
  return a.name == b.name && a.method == b.method && a.crc == b.crc &&
         a.compressedSize == b.compressedSize && a.uncompressedSize == b.uncompressedSize &&
         a.localOffset == b.localOffset;
}

// Reads a file front to back in large blocks, whatever the size of the pieces asked for: an
// archive of thousands of small entries costs a few hundred reads, not thousands.
class CSequentialReader {
 public:
  explicit CSequentialReader(IFile& file) : m_file(file), m_nSize(file.Size()) {}

  std::uint64_t Position() const { return m_nStart + m_nUsed; }

  // Hands the next `size` bytes to `take` in pieces. False when the file ends first or a read
  // fails.
  bool Take(std::uint64_t size, const std::function<void(const char*, std::size_t)>& take) {
    while (size > 0) {
      if (m_nUsed == m_buffer.size() && !Fill()) return false;
      const std::size_t left = m_buffer.size() - m_nUsed;
      const std::size_t n = size < left ? static_cast<std::size_t>(size) : left;
      take(m_buffer.data() + m_nUsed, n);
      m_nUsed += n;
      size -= n;
    }
    return true;
  }

  bool Crc(std::uint64_t size, std::uint32_t& crc) {
    crc = 0;
    return Take(size, [&crc](const char* data, std::size_t n) {
      crc = Crc32(crc, data, n);
    });
  }

  // Whether the next bytes are `expected`.
  bool Matches(const std::string& expected) {
    std::size_t at = 0;
    bool bSame = true;
    const bool bRead = Take(expected.size(), [&](const char* data, std::size_t n) {
      bSame = bSame && expected.compare(at, n, data, n) == 0;
      at += n;
    });
    return bRead && bSame;
  }

 private:
  bool Fill() {
    m_nStart += m_buffer.size();
    m_nUsed = 0;
    const std::uint64_t left = m_nSize > m_nStart ? m_nSize - m_nStart : 0;
    m_buffer.resize(static_cast<std::size_t>(left < kBlock ? left : kBlock));
    return !m_buffer.empty() && m_file.ReadAt(m_nStart, &m_buffer[0], m_buffer.size());
  }

  IFile& m_file;
  std::uint64_t m_nSize;
  std::string m_buffer;
  std::uint64_t m_nStart = 0;  // the file offset of m_buffer's first byte
  std::size_t m_nUsed = 0;
};

// Unpacks entries' data on all processors, each thread through its own handle: the check runs
// once compression has ended and the processors are free again.
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

// Every byte of the file against what the writer put there.
bool CheckBytes(IFile& file, const WrittenArchive& written, std::string& error) {
  const std::uint64_t expected = written.directoryOffset + written.directory.size();
  const std::uint64_t size = file.Size();
  if (size != expected) {
    error = "it is " + std::to_string(size) + " bytes long instead of " + std::to_string(expected);
    return false;
  }
  CSequentialReader reader(file);
  for (std::size_t i = 0; i < written.spans.size(); ++i) {
    const WrittenSpan& span = written.spans[i];
    const ZipEntry& entry = written.entries[i];
    std::uint32_t crc = 0;
    if (span.offset != reader.Position() || !reader.Crc(span.headerSize, crc) || crc != span.headerCrc) {
      error = "the local header of " + entry.name + " differs from what was written";
      return false;
    }
    if (!reader.Crc(entry.compressedSize, crc) || crc != span.dataCrc) {
      error = "the data of " + entry.name + " differs from what was written";
      return false;
    }
  }
  if (reader.Position() != written.directoryOffset || !reader.Matches(written.directory)) {
    error = "its directory differs from what was written";
    return false;
  }
  return true;
}

// What a reader makes of the directory on disk, and the data we copied without unpacking it.
bool CheckEntries(IFileSystem& fs, const std::string& path, IFile& file, const WrittenArchive& written,
                  std::string& error) {
  std::vector<ZipEntry> entries;
  if (!ReadZipDirectory(file, entries, error)) return false;
  if (entries.size() != written.entries.size()) {
    error = "its directory lists " + std::to_string(entries.size()) + " entries instead of " +
            std::to_string(written.entries.size());
    return false;
  }
  std::vector<ZipEntry> copied;
  std::vector<std::uint64_t> offsets;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!SameRecord(entries[i], written.entries[i])) {
      error = "its directory differs from what was written at " + written.entries[i].name;
      return false;
    }
    const WrittenSpan& span = written.spans[i];
    if (span.bCopied) {
      copied.push_back(entries[i]);
      offsets.push_back(span.offset + span.headerSize);
    }
  }
  if (copied.empty()) return true;
  CDataCheck check(fs, path, copied, offsets);
  return check.Run(file, error);
}

}  // namespace

bool VerifyWrittenArchive(IFileSystem& fs, const std::string& path, const WrittenArchive& written,
                          std::string& error) {
  std::unique_ptr<IFile> file = fs.OpenForReading(path);
  if (!file) {
    error = "cannot open it again: " + fs.LastErrorText();
    return false;
  }
  const bool bOk = CheckBytes(*file, written, error) && CheckEntries(fs, path, *file, written, error);
  file->Close();  // read-only: nothing to lose if closing fails
  return bOk;
}

}  // namespace rar
}  // namespace dorvik
