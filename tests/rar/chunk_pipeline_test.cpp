#include <gtest/gtest.h>

#include <zlib.h>

#include "tests/common/fake_file_system.h"
#include "tools/rar/chunk_pipeline.h"
#include "tools/rar/zip_format.h"

using namespace dorvik;
using namespace dorvik::rar;

namespace {

std::string Text(std::size_t size, unsigned seed) {
  std::string out;
  for (unsigned i = seed; out.size() < size; ++i) out += "entry " + std::to_string(i % 331) + ";\n";
  out.resize(size);
  return out;
}

std::string Inflate(const std::string& deflated) {
  z_stream z = z_stream();
  EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
  std::string out(1 << 20, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  z.avail_in = static_cast<uInt>(deflated.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

struct Row {
  std::string path;
  std::string data;  // empty with bPresent false: the file is gone when read
  bool bPresent;
  bool bFolder;
};

// Runs the rows through the pipeline: every item must come back whole, unchanged, in item order,
// a file gone since its selection as a failure of its own. Returns how many items came back.
std::size_t RunAndCheck(CFakeFileSystem& fs, const std::vector<Row>& rows, const PipelineSettings& settings) {
  std::vector<PipelineItem> items;
  for (const Row& row : rows) {
    if (row.bPresent) fs.AddFile(row.path, row.data);
    PipelineItem item;
    item.path = row.path;
    item.bNoData = row.bFolder;
    item.sizeHint = row.bPresent ? row.data.size() : 1000;
    DirectoryEntry info;
    if (row.bPresent && fs.Stat(row.path, &info)) item.lastWriteTime = info.lastWriteTime;
    items.push_back(item);
  }
  std::size_t nNext = 0;
  std::string deflated;
  std::uint32_t crc = 0;
  EXPECT_TRUE(CompressItems(fs, items, settings, [&](CompressedChunk& chunk) {
    EXPECT_EQ(chunk.nItem, nNext) << "out of order";
    const Row& row = rows[chunk.nItem];
    if (chunk.bFirst) {
      deflated.clear();
      crc = 0;
    }
    if (chunk.bFailed) {
      EXPECT_FALSE(row.bPresent || row.bFolder) << row.path;
      EXPECT_EQ(chunk.error, "cannot open " + row.path);
    } else {
      deflated += chunk.data;
      crc = static_cast<std::uint32_t>(crc32_combine(crc, chunk.crc, static_cast<z_off_t>(chunk.rawSize)));
    }
    if (chunk.bLast) {
      if (!chunk.bFailed) {
        const std::string back = chunk.method == kMethodStored ? deflated : Inflate(deflated);
        EXPECT_EQ(back.size(), row.data.size()) << row.path;
        EXPECT_TRUE(back == row.data) << row.path;
        EXPECT_FALSE(chunk.bChanged && !row.bFolder) << row.path << " was not changed";
        EXPECT_EQ(crc, static_cast<std::uint32_t>(
                           ::crc32(0, reinterpret_cast<const Bytef*>(row.data.data()),
                                   static_cast<uInt>(row.data.size()))))
            << row.path;
      }
      ++nNext;
    }
    return true;
  }));
  EXPECT_EQ(nNext, rows.size());
  return nNext;
}

}  // namespace

// Small files are read by several threads at once, ahead of the compression as far as its
// bounds allow (here the bytes and the count both), large ones chunk by chunk; whatever the order
// the work finishes in, the caller gets every item whole, in item order, and a file that went
// away after it was selected comes back as a failure of its own.
TEST(ChunkPipeline, ItemsComeBackInOrderWithTheirOwnFailures) {
  CFakeFileSystem fs;
  std::vector<Row> rows;
  for (unsigned i = 0; i < 300; ++i) {
    const bool bGone = i % 97 == 5;  // gone between selection and reading
    rows.push_back({"C:\\s\\f" + std::to_string(i) + ".txt", bGone ? "" : Text(i * 37 % 5000, i),
                    !bGone, false});
    if (i == 150) rows.push_back({"C:\\s\\big.log", Text(70000, 7), true, false});  // 5 chunks
    if (i == 200) rows.push_back({"C:\\s\\sub", "", false, true});
    if (i == 250) {  // more files than are ever read ahead at once
      for (unsigned k = 0; k < 4500; ++k) rows.push_back({"C:\\s\\e" + std::to_string(k), "", true, false});
    }
  }
  PipelineSettings settings;
  settings.nChunkSize = 16384;
  settings.nThreads = 3;
  RunAndCheck(fs, rows, settings);

  std::vector<PipelineItem> items;
  for (const Row& row : rows) {
    PipelineItem item;
    item.path = row.path;
    item.bNoData = row.bFolder;
    item.sizeHint = row.bPresent ? row.data.size() : 1000;
    items.push_back(item);
  }
  // A caller that stops half-way gets false back, and nothing is left waiting.
  std::size_t nTaken = 0;
  EXPECT_FALSE(CompressItems(fs, items, settings, [&](CompressedChunk&) { return ++nTaken < 40; }));
  EXPECT_EQ(nTaken, 40u);
}

// Chunk buffers large enough to be pooled go round between files: a file whose length is no
// multiple of the chunk ends where it ends, whatever the buffer carried before (once it came
// back with the rest of an earlier chunk appended, reported as changed while read).
TEST(ChunkPipeline, PooledBuffersNeverAddToAFile) {
  CFakeFileSystem fs;
  const std::size_t nChunk = 256 * 1024;
  std::vector<Row> rows;
  for (unsigned i = 0; i < 6; ++i) {
    rows.push_back({"C:\\s\\large" + std::to_string(i) + ".log", Text(3 * nChunk + 1000 * (i + 1), i), true, false});
  }
  PipelineSettings settings;
  settings.nChunkSize = nChunk;
  settings.nThreads = 2;
  RunAndCheck(fs, rows, settings);
}
