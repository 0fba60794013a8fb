#pragma once
// Parallel deflate of a sequence of files, pigz style. A reader thread cuts each large file into
// chunks and gathers small files into batches, which loader threads read; a pool of workers
// deflates them, each chunk primed with the last 32 KiB of the one before and ended with a sync
// flush, so the pieces of one file concatenate into one valid raw deflate stream. The caller
// takes the pieces back in file and chunk order. Only a bounded number of chunks is in flight,
// so memory stays small whatever the file sizes.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/file_system.h"

namespace dorvik {
namespace rar {

struct PipelineItem {
  std::string path;
  bool bNoData = false;  // a folder entry: passes through as one empty piece
  std::uint64_t sizeHint = 0;  // the size when selected: a small file is read in one call
  std::int64_t lastWriteTime = 0;  // when selected, to tell whether it changed while read
};

struct CompressedChunk {
  std::size_t nItem = 0;
  bool bFirst = false;
  bool bLast = false;
  std::uint16_t method = 0;  // stored only for a one-chunk file deflate does not shrink, or -m0
  std::string data;          // deflated, or the raw bytes when the item is stored
  std::uint32_t crc = 0;     // of this chunk's raw bytes
  std::uint64_t rawSize = 0;
  bool bFailed = false;      // the item could not be opened or read: drop what came of it
  // On the last piece: the file was not, when its reading ended, as it was when selected (size
  // or time), or its length read differs. Looked at by the reading threads, so the caller's
  // thread waits for no file system call.
  bool bChanged = false;
  std::string error;
};

struct PipelineSettings {
  int nLevel = 6;  // zlib level; 0 stores everything
  std::size_t nChunkSize = 1 << 20;
  unsigned nThreads = 0;  // 0: one per processor
};

// Runs the pipeline to the end, or until `consume` returns false. False when it was stopped.
bool CompressItems(IFileSystem& fs, const std::vector<PipelineItem>& items,
                   const PipelineSettings& settings,
                   const std::function<bool(CompressedChunk&)>& consume);

}  // namespace rar
}  // namespace dorvik
