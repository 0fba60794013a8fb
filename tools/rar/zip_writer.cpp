#include "tools/rar/zip_writer.h"

#include <zlib.h>

namespace dorvik {
namespace rar {

namespace {
const std::size_t kFlushThreshold = 1 << 20;
const std::size_t kCopyBlock = 1 << 20;

std::uint32_t Crc(std::uint32_t crc, const std::string& bytes) { return Crc32(crc, bytes.data(), bytes.size()); }
}  // namespace

CZipWriter::CZipWriter(IFile& out, const ZipLimits& limits) : m_out(out), m_limits(limits) {}

bool CZipWriter::Fail(const std::string& message) {
  if (m_error.empty()) m_error = message;
  return false;
}

bool CZipWriter::Flush() {
  if (m_buffer.empty()) return true;
  if (!m_out.Write(m_buffer.data(), m_buffer.size())) return Fail("cannot write the archive");
  m_nFlushed += m_buffer.size();
  m_buffer.clear();
  return true;
}

bool CZipWriter::Append(const std::string& bytes) {
  m_buffer += bytes;
  m_nPosition += bytes.size();
  return m_buffer.size() < kFlushThreshold || Flush();
}

bool CZipWriter::BeginEntry(const ZipEntry& entry, std::uint64_t sizeHint) {
  m_current = entry;
  m_current.localOffset = m_nPosition;
  m_current.crc = 0;
  m_current.compressedSize = m_current.uncompressedSize = 0;
  // Deflate may grow incompressible data a little: leave ZIP64 room well before the limit.
  // Entries past the 32-bit offset limit get a ZIP64 local extra too: Info-ZIP's unzip
  // misreads a UTF-8 name whose central header has a ZIP64 extra that its local one lacks.
  m_current.bLocalZip64 = sizeHint + sizeHint / 64 + 1024 >= m_limits.firstTooBig32 ||
                          m_nPosition >= m_limits.firstTooBig32;
  if (m_current.bLocalZip64 && m_current.versionNeeded < 45) m_current.versionNeeded = 45;
  if (m_current.name.size() > 0xFFFF) return Fail("name too long: " + entry.name);
  m_bInEntry = true;
  m_nDataCrc = 0;
  return Append(BuildLocalHeader(m_current));
}

bool CZipWriter::WriteData(const std::string& data, std::uint32_t crc, std::uint64_t rawSize) {
  m_current.crc = static_cast<std::uint32_t>(
      crc32_combine(m_current.crc, crc, static_cast<z_off_t>(rawSize)));
  m_current.compressedSize += data.size();
  m_current.uncompressedSize += rawSize;
  m_nDataCrc = Crc(m_nDataCrc, data);
  return Append(data);
}

bool CZipWriter::EndEntry() {
  m_bInEntry = false;
  if (!m_current.bLocalZip64 && (m_current.compressedSize >= m_limits.firstTooBig32 ||
                                 m_current.uncompressedSize >= m_limits.firstTooBig32)) {
    AbandonEntry();
    return Fail("file grew past 4 GiB while it was read: " + m_current.name);
  }
  std::string header = BuildLocalHeader(m_current);
  const std::uint64_t offset = m_current.localOffset;
  if (offset >= m_nFlushed) {
    m_buffer.replace(static_cast<std::size_t>(offset - m_nFlushed), header.size(), header);
  } else if (!Flush() || !m_out.WriteAt(offset, header.data(), header.size())) {
    return Fail("cannot write the archive");
  }
  AddEntry(m_current, header, m_nDataCrc, false);
  return true;
}

void CZipWriter::AddEntry(const ZipEntry& entry, const std::string& header, std::uint32_t dataCrc,
                          bool bCopied) {
  WrittenSpan span;
  span.offset = entry.localOffset;
  span.headerSize = header.size();
  span.headerCrc = Crc(0, header);
  span.dataCrc = dataCrc;
  span.bCopied = bCopied;
  m_written.entries.push_back(entry);
  m_written.spans.push_back(span);
}

bool CZipWriter::AbandonEntry() {
  m_bInEntry = false;
  const std::uint64_t offset = m_current.localOffset;
  m_nPosition = offset;
  if (offset >= m_nFlushed) {
    m_buffer.resize(static_cast<std::size_t>(offset - m_nFlushed));
    return true;
  }
  m_buffer.clear();
  m_nFlushed = offset;
  return m_out.Truncate(offset) || Fail("cannot write the archive");
}

bool CZipWriter::CopyEntry(const ZipEntry& entry, IFile& source, std::uint64_t dataOffset) {
  ZipEntry copy = entry;
  copy.localOffset = m_nPosition;
  // The local header is rebuilt from the central one: sizes in place, no data descriptor.
  copy.flags &= static_cast<std::uint16_t>(~kFlagDataDescriptor);
  copy.bLocalZip64 = copy.compressedSize >= m_limits.firstTooBig32 ||
                     copy.uncompressedSize >= m_limits.firstTooBig32 ||
                     m_nPosition >= m_limits.firstTooBig32;
  if (copy.bLocalZip64 && copy.versionNeeded < 45) copy.versionNeeded = 45;
  const std::string header = BuildLocalHeader(copy);
  if (!Append(header)) return false;
  std::uint32_t dataCrc = 0;
  std::string block;
  for (std::uint64_t done = 0; done < copy.compressedSize;) {
    const std::uint64_t left = copy.compressedSize - done;
    block.resize(static_cast<std::size_t>(left < kCopyBlock ? left : kCopyBlock));
    if (!source.ReadAt(dataOffset + done, &block[0], block.size())) {
      return Fail("cannot read the old archive at " + entry.name);
    }
    dataCrc = Crc(dataCrc, block);
    if (!Append(block)) return false;
    done += block.size();
  }
  AddEntry(copy, header, dataCrc, true);
  return true;
}

bool CZipWriter::Finish() {
  // Written header by header, so the buffer never holds more than its threshold.
  std::string& directory = m_written.directory;
  m_written.directoryOffset = m_nPosition;
  for (const ZipEntry& entry : m_written.entries) {
    const std::string header = BuildCentralHeader(entry, m_limits);
    directory += header;
    if (!Append(header)) return false;
  }
  const std::string end = BuildEndRecords(m_written.entries.size(), m_written.directoryOffset,
                                          directory.size(), m_limits);
  directory += end;
  return Append(end) && Flush();
}

}  // namespace rar
}  // namespace dorvik
