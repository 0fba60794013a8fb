#include "tools/rar/zip_reader.h"

#include <algorithm>

namespace dorvik {
namespace rar {

namespace {

const std::size_t kMaxComment = 0xFFFF;
const std::size_t kZip64LocatorSize = 20;
const std::size_t kZip64EndSize = 56;

bool ReadBlock(IFile& file, std::uint64_t offset, std::size_t size, std::string& out) {
  out.resize(size);
  return size == 0 || file.ReadAt(offset, &out[0], size);
}

// Fills the escaped fields of one central header from its ZIP64 extra, in APPNOTE's order.
bool ApplyZip64Extra(const std::string& extra, bool bUncompressed, bool bCompressed, bool bOffset,
                     ZipEntry& entry) {
  std::size_t pos = 0;
  while (pos + 4 <= extra.size()) {
    const std::uint16_t id = GetLe16(&extra[pos]);
    const std::uint16_t size = GetLe16(&extra[pos + 2]);
    if (pos + 4 + size > extra.size()) return false;
    if (id == 0x0001) {
      std::size_t field = pos + 4;
      const std::size_t end = field + size;
      auto take = [&](std::uint64_t& value) {
        if (field + 8 > end) return false;
        value = GetLe64(&extra[field]);
        field += 8;
        return true;
      };
      if (bUncompressed && !take(entry.uncompressedSize)) return false;
      if (bCompressed && !take(entry.compressedSize)) return false;
      if (bOffset && !take(entry.localOffset)) return false;
      return true;
    }
    pos += 4 + size;
  }
  return !(bUncompressed || bCompressed || bOffset);
}

}  // namespace

bool ReadZipDirectory(IFile& file, std::vector<ZipEntry>& entries, std::string& error) {
  entries.clear();
  const std::uint64_t fileSize = file.Size();
  if (fileSize < kEndRecordSize) {
    error = "not a ZIP archive (too short)";
    return false;
  }
  const std::size_t tailSize = static_cast<std::size_t>(
      fileSize < kEndRecordSize + kMaxComment ? fileSize : kEndRecordSize + kMaxComment);
  const std::uint64_t tailStart = fileSize - tailSize;
  std::string tail;
  if (!ReadBlock(file, tailStart, tailSize, tail)) {
    error = "cannot read the archive";
    return false;
  }
  std::size_t endPos = std::string::npos;
  for (std::size_t i = tailSize - kEndRecordSize + 1; i-- > 0;) {
    if (GetLe32(&tail[i]) == kEndSignature &&
        i + kEndRecordSize + GetLe16(&tail[i + 20]) <= tailSize) {
      endPos = i;
      break;
    }
  }
  if (endPos == std::string::npos) {
    error = "not a ZIP archive (no end of central directory)";
    return false;
  }
  const char* end = &tail[endPos];
  std::uint64_t count = GetLe16(end + 10);
  std::uint64_t centralSize = GetLe32(end + 12);
  std::uint64_t centralOffset = GetLe32(end + 16);
  const std::uint64_t endOffset = tailStart + endPos;
  if (endOffset >= kZip64LocatorSize) {
    std::string locator;
    if (ReadBlock(file, endOffset - kZip64LocatorSize, kZip64LocatorSize, locator) &&
        GetLe32(&locator[0]) == kZip64LocatorSignature) {
      const std::uint64_t zip64EndOffset = GetLe64(&locator[8]);
      std::string zip64End;
      if (zip64EndOffset + kZip64EndSize > fileSize ||
          !ReadBlock(file, zip64EndOffset, kZip64EndSize, zip64End) ||
          GetLe32(&zip64End[0]) != kZip64EndSignature) {
        error = "damaged ZIP64 end record";
        return false;
      }
      count = GetLe64(&zip64End[32]);
      centralSize = GetLe64(&zip64End[40]);
      centralOffset = GetLe64(&zip64End[48]);
    }
  }
  if (centralOffset > fileSize || centralSize > fileSize - centralOffset ||
      count > centralSize / kCentralHeaderFixedSize) {
    error = "damaged central directory";
    return false;
  }
  std::string central;
  if (!ReadBlock(file, centralOffset, static_cast<std::size_t>(centralSize), central)) {
    error = "cannot read the central directory";
    return false;
  }
  std::size_t pos = 0;
  for (std::uint64_t n = 0; n < count; ++n) {
    if (pos + kCentralHeaderFixedSize > central.size() ||
        GetLe32(&central[pos]) != kCentralHeaderSignature) {
      error = "damaged central directory";
      return false;
    }
    const char* h = &central[pos];
    ZipEntry entry;
    entry.versionNeeded = GetLe16(h + 6);
    entry.flags = GetLe16(h + 8);
    entry.method = GetLe16(h + 10);
    entry.dosDateTime = GetLe32(h + 12);
    entry.crc = GetLe32(h + 16);
    entry.compressedSize = GetLe32(h + 20);
    entry.uncompressedSize = GetLe32(h + 24);
    const std::size_t nameLen = GetLe16(h + 28), extraLen = GetLe16(h + 30),
                      commentLen = GetLe16(h + 32);
    entry.externalAttributes = GetLe32(h + 38);
    entry.localOffset = GetLe32(h + 42);
    const std::size_t recordLen = kCentralHeaderFixedSize + nameLen + extraLen + commentLen;
    if (pos + recordLen > central.size()) {
      error = "damaged central directory";
      return false;
    }
    entry.name = central.substr(pos + kCentralHeaderFixedSize, nameLen);
    const std::string extra = central.substr(pos + kCentralHeaderFixedSize + nameLen, extraLen);
    if (!ApplyZip64Extra(extra, entry.uncompressedSize == 0xFFFFFFFFu,
                         entry.compressedSize == 0xFFFFFFFFu, entry.localOffset == 0xFFFFFFFFu,
                         entry)) {
      error = "damaged ZIP64 extra field of " + entry.name;
      return false;
    }
    if (entry.localOffset > fileSize || entry.compressedSize > fileSize) {
      error = "damaged central directory entry " + entry.name;
      return false;
    }
    entries.push_back(entry);
    pos += recordLen;
  }
  return true;
}

bool FindEntryData(IFile& file, const ZipEntry& entry, std::uint64_t& dataOffset,
                   std::string& error) {
  std::string header;
  if (!ReadBlock(file, entry.localOffset, kLocalHeaderFixedSize, header) ||
      GetLe32(&header[0]) != kLocalHeaderSignature) {
    error = "damaged local header of " + entry.name;
    return false;
  }
  dataOffset = entry.localOffset + kLocalHeaderFixedSize + GetLe16(&header[26]) +
               GetLe16(&header[28]);
  if (dataOffset + entry.compressedSize > file.Size()) {
    error = "truncated data of " + entry.name;
    return false;
  }
  return true;
}

bool LocateEntries(IFile& file, const std::vector<ZipEntry>& entries,
                   std::vector<std::uint64_t>& dataOffsets, std::string& error) {
  dataOffsets.assign(entries.size(), 0);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> spans;  // [local header, end of data)
  spans.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!FindEntryData(file, entries[i], dataOffsets[i], error)) return false;
    spans.emplace_back(entries[i].localOffset, dataOffsets[i] + entries[i].compressedSize);
  }
  std::sort(spans.begin(), spans.end());
  for (std::size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].first < spans[i - 1].second) {
      error = "damaged archive: entries share their data";
      return false;
    }
  }
  return true;
}

}  // namespace rar
}  // namespace dorvik
