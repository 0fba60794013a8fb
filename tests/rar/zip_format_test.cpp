#include <gtest/gtest.h>

#include "tools/rar/zip_format.h"

using namespace dorvik;
using namespace dorvik::rar;

namespace {
std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

ZipEntry Sample() {
  ZipEntry e;
  e.name = "a.txt";
  e.method = kMethodDeflated;
  e.dosDateTime = 0x58A14410;  // 2024-05-01 08:32:32
  e.crc = 0x11223344;
  e.compressedSize = 0x10;
  e.uncompressedSize = 0x20;
  e.localOffset = 0x30;
  return e;
}
}  // namespace

TEST(RarZipFormat, DosTimeStamps) {
  LocalTime t;
  t.year = 2024; t.month = 5; t.day = 1; t.hour = 8; t.minute = 32; t.second = 33;
  EXPECT_EQ(ToDosDateTime(t), 0x58A14410u);  // seconds kept in two-second steps
  LocalTime back = FromDosDateTime(0x58A14410u);
  EXPECT_EQ(FormatLocalTime(back, "%Y-%m-%d %H:%M:%S"), "2024-05-01 08:32:32");
  t.year = 1970;
  EXPECT_EQ(ToDosDateTime(t), 0x00210000u);  // before 1980: the earliest DOS date
}

TEST(RarZipFormat, ClassicHeadersByteForByte) {
  const ZipEntry e = Sample();
  EXPECT_EQ(BuildLocalHeader(e),
            Bytes({0x50, 0x4B, 0x03, 0x04, 20, 0, 0, 0, 8, 0, 0x10, 0x44, 0xA1, 0x58, 0x44, 0x33, 0x22, 0x11,
                   0x10, 0, 0, 0, 0x20, 0, 0, 0, 5, 0, 0, 0}) + "a.txt");
  EXPECT_EQ(BuildCentralHeader(e, ZipLimits()),
            Bytes({0x50, 0x4B, 0x01, 0x02, 63, 10, 20, 0, 0, 0, 8, 0, 0x10, 0x44, 0xA1, 0x58, 0x44, 0x33, 0x22,
                   0x11, 0x10, 0, 0, 0, 0x20, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0, 0,
                   0x30, 0, 0, 0}) + "a.txt");
  EXPECT_EQ(BuildEndRecords(2, 0x100, 0x50, ZipLimits()),
            Bytes({0x50, 0x4B, 0x05, 0x06, 0, 0, 0, 0, 2, 0, 2, 0, 0x50, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
}

// Lowered limits put every ZIP64 record into a small archive.
TEST(RarZipFormat, Zip64RecordsByteForByte) {
  ZipLimits small;
  small.firstTooBig32 = 0x18;  // sizes 0x20 and offset 0x30 escape, 0x10 does not
  small.firstTooMany16 = 2;
  ZipEntry e = Sample();
  e.bLocalZip64 = true;
  e.versionNeeded = 45;
  EXPECT_EQ(BuildLocalHeader(e),
            Bytes({0x50, 0x4B, 0x03, 0x04, 45, 0, 0, 0, 8, 0, 0x10, 0x44, 0xA1, 0x58, 0x44, 0x33, 0x22, 0x11,
                   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 5, 0, 20, 0}) + "a.txt" +
                Bytes({1, 0, 16, 0, 0x20, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BuildCentralHeader(e, small),
            Bytes({0x50, 0x4B, 0x01, 0x02, 63, 10, 45, 0, 0, 0, 8, 0, 0x10, 0x44, 0xA1, 0x58, 0x44, 0x33, 0x22,
                   0x11, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 5, 0, 28, 0, 0, 0, 0, 0, 0, 0,
                   0x20, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}) + "a.txt" +
                Bytes({1, 0, 24, 0, 0x20, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0,
                       0x30, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BuildEndRecords(3, 0x40, 0x10, small),
            Bytes({0x50, 0x4B, 0x06, 0x06, 44, 0, 0, 0, 0, 0, 0, 0, 63, 10, 45, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                   3, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0,
                   0x40, 0, 0, 0, 0, 0, 0, 0,
                   0x50, 0x4B, 0x06, 0x07, 0, 0, 0, 0, 0x50, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0,
                   0x50, 0x4B, 0x05, 0x06, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0, 0, 0,
                   0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
}
