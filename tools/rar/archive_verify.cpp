#include "tools/rar/archive_verify.h"

#include <zlib.h>

#include <functional>
#include <memory>

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
      crc = static_cast<std::uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(n)));
    });
  }

  bool Bytes(std::uint64_t size, std::string& out) {
    out.clear();
    return Take(size, [&out](const char* data, std::size_t n) { out.append(data, n); });
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
  std::string directory;
  if (reader.Position() != written.directoryOffset ||
      !reader.Bytes(written.directory.size(), directory) || directory != written.directory) {
    error = "its directory differs from what was written";
    return false;
  }
  return true;
}

// What a reader makes of the directory on disk, and the data we copied without unpacking it.
bool CheckEntries(IFile& file, const WrittenArchive& written, std::string& error) {
  std::vector<ZipEntry> entries;
  if (!ReadZipDirectory(file, entries, error)) return false;
  if (entries.size() != written.entries.size()) {
    error = "its directory lists " + std::to_string(entries.size()) + " entries instead of " +
            std::to_string(written.entries.size());
    return false;
  }
  const std::function<bool(const char*, std::size_t)> discard = [](const char*, std::size_t) { return true; };
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!SameRecord(entries[i], written.entries[i])) {
      error = "its directory differs from what was written at " + written.entries[i].name;
      return false;
    }
    const WrittenSpan& span = written.spans[i];
    if (span.bCopied &&
        ReadEntryData(file, entries[i], span.offset + span.headerSize, discard) != EntryReadResult::kOk) {
      error = "the data of " + entries[i].name + " does not read back";
      return false;
    }
  }
  return true;
}

}  // namespace

bool VerifyWrittenArchive(IFileSystem& fs, const std::string& path, const WrittenArchive& written,
                          std::string& error) {
  std::unique_ptr<IFile> file = fs.OpenForReading(path);
  if (!file) {
    error = "cannot open it again: " + fs.LastErrorText();
    return false;
  }
  const bool bOk = CheckBytes(*file, written, error) && CheckEntries(*file, written, error);
  file->Close();  // read-only: nothing to lose if closing fails
  return bOk;
}

}  // namespace rar
}  // namespace dorvik
