#pragma once
// ZIP records as this archiver writes and reads them (PKWARE APPNOTE): local headers, central
// directory headers, the end records, ZIP64 extras and DOS time stamps. Byte layouts only; no I/O.
#include <cstdint>
#include <string>

#include "common/clock.h"

namespace dorvik {
namespace rar {

const std::uint16_t kMethodStored = 0;
const std::uint16_t kMethodDeflated = 8;
const std::uint16_t kFlagDataDescriptor = 0x0008;
const std::uint16_t kFlagUtf8 = 0x0800;
const std::uint32_t kDosAttributeDirectory = 0x10;
const std::uint32_t kDosAttributeArchive = 0x20;

// Where ZIP64 takes over. Real archives use the format's own limits; tests lower them to see
// ZIP64 records on small data.
struct ZipLimits {
  std::uint64_t firstTooBig32 = 0xFFFFFFFFu;  // a 32-bit field at this value or above escapes
  std::uint64_t firstTooMany16 = 0xFFFFu;     // likewise the 16-bit entry counts
};

struct ZipEntry {
  std::string name;  // UTF-8 with '/' separators; a folder's name ends with '/'
  std::uint16_t versionNeeded = 20;
  std::uint16_t flags = 0;
  std::uint16_t method = kMethodDeflated;
  std::uint32_t dosDateTime = 0;  // date in the high half, time in the low half
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  std::uint64_t localOffset = 0;
  std::uint32_t externalAttributes = kDosAttributeArchive;
  bool bLocalZip64 = false;  // the local header carries a ZIP64 extra with both sizes

  bool IsDirectory() const { return !name.empty() && name.back() == '/'; }
};

// DOS stamps count in two-second steps from 1980; earlier times are kept as 1980-01-01 00:00.
std::uint32_t ToDosDateTime(const LocalTime& time);
LocalTime FromDosDateTime(std::uint32_t dosDateTime);

const std::size_t kLocalHeaderFixedSize = 30;
const std::size_t kCentralHeaderFixedSize = 46;
const std::size_t kEndRecordSize = 22;
const std::uint32_t kLocalHeaderSignature = 0x04034b50;
const std::uint32_t kCentralHeaderSignature = 0x02014b50;
const std::uint32_t kEndSignature = 0x06054b50;
const std::uint32_t kZip64EndSignature = 0x06064b50;
const std::uint32_t kZip64LocatorSignature = 0x07064b50;

// The local header. With bLocalZip64 both sizes are 0xFFFFFFFF and follow in a ZIP64 extra,
// so they can be patched in place once known.
std::string BuildLocalHeader(const ZipEntry& entry);
// Offsets of the CRC and size fields in a local header, for patching after the data is written.
const std::size_t kLocalCrcOffset = 14;
// The CRC and both sizes as they stand in the local header (fixed part, or extra for ZIP64).
void PatchLocalSizes(const ZipEntry& entry, std::string& header);

std::string BuildCentralHeader(const ZipEntry& entry, const ZipLimits& limits);
// The end of central directory record, preceded by the ZIP64 end record and its locator when
// the count, size or offset do not fit the classic fields.
std::string BuildEndRecords(std::uint64_t entryCount, std::uint64_t centralOffset,
                            std::uint64_t centralSize, const ZipLimits& limits);

// Little-endian helpers shared with the reader.
// The CRC-32 ZIP records, of `size` bytes continuing `crc` (0 to start).
std::uint32_t Crc32(std::uint32_t crc, const char* data, std::size_t size);

void PutLe16(std::string& out, std::uint16_t value);
void PutLe32(std::string& out, std::uint32_t value);
void PutLe64(std::string& out, std::uint64_t value);
std::uint16_t GetLe16(const char* p);
std::uint32_t GetLe32(const char* p);
std::uint64_t GetLe64(const char* p);

}  // namespace rar
}  // namespace dorvik
