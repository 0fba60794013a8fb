#include "tools/rar/zip_format.h"

#include <zlib.h>

namespace dorvik {
namespace rar {

namespace {

// APPNOTE 6.3, host 10 (NTFS): the attributes are still the DOS ones, but Info-ZIP unzip reads
// names of host-0 archives as OEM text even when the UTF-8 flag is set, garbling Chinese names.
const std::uint16_t kVersionMadeBy = (10 << 8) | 63;
const std::uint16_t kVersionZip64 = 45;
const std::uint16_t kZip64ExtraId = 0x0001;

std::uint16_t NeededVersion(const ZipEntry& entry, bool bZip64) {
  return bZip64 && entry.versionNeeded < kVersionZip64 ? kVersionZip64 : entry.versionNeeded;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const char* data, std::size_t size) {
  // zlib takes at most a 32-bit length per call.
  constexpr std::size_t kMostPerCall = 1u << 30;
  uLong value = crc;
  while (size > 0) {
    const std::size_t n = size < kMostPerCall ? size : kMostPerCall;
    value = crc32(value, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(n));
    data += n;
    size -= n;
  }
  return static_cast<std::uint32_t>(value);
}

void PutLe16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}
void PutLe32(std::string& out, std::uint32_t value) {
  PutLe16(out, static_cast<std::uint16_t>(value & 0xFFFF));
  PutLe16(out, static_cast<std::uint16_t>(value >> 16));
}
void PutLe64(std::string& out, std::uint64_t value) {
  PutLe32(out, static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
  PutLe32(out, static_cast<std::uint32_t>(value >> 32));
}
std::uint16_t GetLe16(const char* p) {
  const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::uint16_t>(u[0] | (u[1] << 8));
}
std::uint32_t GetLe32(const char* p) {
  return GetLe16(p) | (static_cast<std::uint32_t>(GetLe16(p + 2)) << 16);
}
std::uint64_t GetLe64(const char* p) {
  return GetLe32(p) | (static_cast<std::uint64_t>(GetLe32(p + 4)) << 32);
}

std::uint32_t ToDosDateTime(const LocalTime& t) {
  if (t.year < 1980) return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00:00
  const int year = t.year > 2107 ? 2107 : t.year;
  const std::uint32_t date = static_cast<std::uint32_t>(((year - 1980) << 9) | (t.month << 5) | t.day);
  const std::uint32_t time = static_cast<std::uint32_t>((t.hour << 11) | (t.minute << 5) | (t.second / 2));
  return date << 16 | time;
}

LocalTime FromDosDateTime(std::uint32_t value) {
  LocalTime t;
  const std::uint32_t date = value >> 16, time = value & 0xFFFF;
  t.year = static_cast<int>(1980 + (date >> 9));
  t.month = static_cast<int>((date >> 5) & 0x0F);
  t.day = static_cast<int>(date & 0x1F);
  t.hour = static_cast<int>(time >> 11);
  t.minute = static_cast<int>((time >> 5) & 0x3F);
  t.second = static_cast<int>((time & 0x1F) * 2);
  if (t.month < 1) t.month = 1;
  if (t.day < 1) t.day = 1;
  return t;
}

std::string BuildLocalHeader(const ZipEntry& entry) {
  std::string out;
  PutLe32(out, kLocalHeaderSignature);
  PutLe16(out, NeededVersion(entry, entry.bLocalZip64));
  PutLe16(out, entry.flags);
  PutLe16(out, entry.method);
  PutLe32(out, entry.dosDateTime);
  PutLe32(out, 0);  // CRC and sizes: filled in by PatchLocalSizes
  PutLe32(out, 0);
  PutLe32(out, 0);
  PutLe16(out, static_cast<std::uint16_t>(entry.name.size()));
  PutLe16(out, static_cast<std::uint16_t>(entry.bLocalZip64 ? 20 : 0));
  out += entry.name;
  if (entry.bLocalZip64) {
    PutLe16(out, kZip64ExtraId);
    PutLe16(out, 16);
    PutLe64(out, 0);
    PutLe64(out, 0);
  }
  PatchLocalSizes(entry, out);
  return out;
}

void PatchLocalSizes(const ZipEntry& entry, std::string& header) {
  std::string fields;
  PutLe32(fields, entry.crc);
  if (entry.bLocalZip64) {
    PutLe32(fields, 0xFFFFFFFFu);
    PutLe32(fields, 0xFFFFFFFFu);
    std::string sizes;
    PutLe64(sizes, entry.uncompressedSize);
    PutLe64(sizes, entry.compressedSize);
    header.replace(kLocalHeaderFixedSize + entry.name.size() + 4, 16, sizes);
  } else {
    PutLe32(fields, static_cast<std::uint32_t>(entry.compressedSize));
    PutLe32(fields, static_cast<std::uint32_t>(entry.uncompressedSize));
  }
  header.replace(kLocalCrcOffset, 12, fields);
}

std::string BuildCentralHeader(const ZipEntry& entry, const ZipLimits& limits) {
  const bool bSizes64 = entry.bLocalZip64 || entry.compressedSize >= limits.firstTooBig32 ||
                        entry.uncompressedSize >= limits.firstTooBig32;
  const bool bOffset64 = entry.localOffset >= limits.firstTooBig32;
  std::string extra;
  if (bSizes64 || bOffset64) {
    std::string fields;
    if (bSizes64) {
      PutLe64(fields, entry.uncompressedSize);
      PutLe64(fields, entry.compressedSize);
    }
    if (bOffset64) PutLe64(fields, entry.localOffset);
    PutLe16(extra, kZip64ExtraId);
    PutLe16(extra, static_cast<std::uint16_t>(fields.size()));
    extra += fields;
  }
  std::string out;
  PutLe32(out, kCentralHeaderSignature);
  PutLe16(out, kVersionMadeBy);
  PutLe16(out, NeededVersion(entry, !extra.empty()));
  PutLe16(out, entry.flags);
  PutLe16(out, entry.method);
  PutLe32(out, entry.dosDateTime);
  PutLe32(out, entry.crc);
  PutLe32(out, bSizes64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(entry.compressedSize));
  PutLe32(out, bSizes64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(entry.uncompressedSize));
  PutLe16(out, static_cast<std::uint16_t>(entry.name.size()));
  PutLe16(out, static_cast<std::uint16_t>(extra.size()));
  PutLe16(out, 0);  // comment
  PutLe16(out, 0);  // disk
  PutLe16(out, 0);  // internal attributes
  PutLe32(out, entry.externalAttributes);
  PutLe32(out, bOffset64 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(entry.localOffset));
  out += entry.name;
  out += extra;
  return out;
}

std::string BuildEndRecords(std::uint64_t entryCount, std::uint64_t centralOffset,
                            std::uint64_t centralSize, const ZipLimits& limits) {
  const bool bZip64 = entryCount >= limits.firstTooMany16 ||
                      centralOffset >= limits.firstTooBig32 || centralSize >= limits.firstTooBig32;
  std::string out;
  if (bZip64) {
    const std::uint64_t zip64EndOffset = centralOffset + centralSize;
    PutLe32(out, kZip64EndSignature);
    PutLe64(out, 44);  // size of the rest of this record
    PutLe16(out, kVersionMadeBy);
    PutLe16(out, kVersionZip64);
    PutLe32(out, 0);
    PutLe32(out, 0);
    PutLe64(out, entryCount);
    PutLe64(out, entryCount);
    PutLe64(out, centralSize);
    PutLe64(out, centralOffset);
    PutLe32(out, kZip64LocatorSignature);
    PutLe32(out, 0);
    PutLe64(out, zip64EndOffset);
    PutLe32(out, 1);
  }
  const std::uint16_t count16 = entryCount >= limits.firstTooMany16
                                    ? 0xFFFF : static_cast<std::uint16_t>(entryCount);
  PutLe32(out, kEndSignature);
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe16(out, count16);
  PutLe16(out, count16);
  PutLe32(out, centralSize >= limits.firstTooBig32 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(centralSize));
  PutLe32(out, centralOffset >= limits.firstTooBig32 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(centralOffset));
  PutLe16(out, 0);
  return out;
}

}  // namespace rar
}  // namespace dorvik
