#pragma once
// Writes a ZIP archive front to back into one output file: entries streamed in pieces (local
// header first, sizes patched in when the entry ends), entries copied from another archive with
// their compressed data as it is, then the central directory and the end records.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/file_system.h"
#include "tools/rar/zip_format.h"

namespace dorvik {
namespace rar {

// One entry's bytes in the file, local header then data, and the CRC-32 of each part as it was
// written (the data's size is the entry's compressed size).
struct WrittenSpan {
  std::uint64_t offset = 0;
  std::uint64_t headerSize = 0;
  std::uint32_t headerCrc = 0;
  std::uint32_t dataCrc = 0;
  // Copied from another archive: its data was never unpacked by us, so the CRC above proves
  // only the copy, not the data.
  bool bCopied = false;
};

// What a finished archive holds, byte for byte: its entries' spans from the start of the file,
// then the central directory and end records, kept whole. Reading the file back against this
// proves that every byte reached the disk as it was meant.
struct WrittenArchive {
  std::vector<ZipEntry> entries;  // as the central directory lists them
  std::vector<WrittenSpan> spans;  // one per entry, in the same order
  std::uint64_t directoryOffset = 0;
  std::string directory;
};

class CZipWriter {
 public:
  CZipWriter(IFile& out, const ZipLimits& limits);

  // Starts an entry. `sizeHint` (the file's size when selected) decides whether the local
  // header makes room for ZIP64 sizes.
  bool BeginEntry(const ZipEntry& entry, std::uint64_t sizeHint);
  bool WriteData(const std::string& data, std::uint32_t crc, std::uint64_t rawSize);
  bool EndEntry();
  // Drops the entry begun last, as if it had never been started.
  bool AbandonEntry();

  // Copies an entry of another archive; `entry` carries the name to store it under.
  bool CopyEntry(const ZipEntry& entry, IFile& source, std::uint64_t dataOffset);

  bool Finish();
  std::size_t EntryCount() const { return m_written.entries.size(); }
  // After Finish: what the file holds, handed over (the writer keeps nothing of it).
  WrittenArchive TakeWritten() { return std::move(m_written); }
  const std::string& Error() const { return m_error; }

 private:
  bool Append(const std::string& bytes);
  void AddEntry(const ZipEntry& entry, const std::string& header, std::uint32_t dataCrc, bool bCopied);
  bool Flush();
  bool Fail(const std::string& message);

  IFile& m_out;
  ZipLimits m_limits;
  WrittenArchive m_written;
  std::string m_buffer;         // bytes not yet written, starting at m_nFlushed
  std::uint64_t m_nFlushed = 0;
  std::uint64_t m_nPosition = 0;
  bool m_bInEntry = false;
  ZipEntry m_current;
  std::uint32_t m_nDataCrc = 0;  // of the current entry's data as written, compressed
  std::string m_error;
};

}  // namespace rar
}  // namespace dorvik
