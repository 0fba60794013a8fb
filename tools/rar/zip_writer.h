#pragma once
// Writes a ZIP archive front to back into one output file: entries streamed in pieces (local
// header first, sizes patched in when the entry ends), entries copied from another archive with
// their compressed data as it is, then the central directory and the end records.
#include <cstdint>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "tools/rar/zip_format.h"

namespace dorvik {
namespace rar {

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
  std::size_t EntryCount() const { return m_entries.size(); }
  // The entries ended or copied so far, as the central directory lists them.
  const std::vector<ZipEntry>& Entries() const { return m_entries; }
  const std::string& Error() const { return m_error; }

 private:
  bool Append(const std::string& bytes);
  bool Flush();
  bool Fail(const std::string& message);

  IFile& m_out;
  ZipLimits m_limits;
  std::vector<ZipEntry> m_entries;
  std::string m_buffer;         // bytes not yet written, starting at m_nFlushed
  std::uint64_t m_nFlushed = 0;
  std::uint64_t m_nPosition = 0;
  bool m_bInEntry = false;
  ZipEntry m_current;
  std::string m_error;
};

}  // namespace rar
}  // namespace dorvik
