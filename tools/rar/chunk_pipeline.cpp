#include "tools/rar/chunk_pipeline.h"

#include <zlib.h>

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "tools/rar/slim_sync.h"
#include "tools/rar/zip_format.h"

namespace dorvik {
namespace rar {

namespace {

const std::size_t kDictionarySize = 32768;
const std::size_t kSampleSize = 65536;
const std::size_t kGrowthStep = 16384;  // how much more a small file is read at a time once it grew
// How many chunks' worth of small files may be read ahead of the compression, so that opening
// them (a round trip to the server and back per call under Wine) overlaps the compression of the
// large files before them.
const std::uint64_t kReadAheadChunks = 32;
const std::size_t kReadAheadFiles = 4096;  // and how many files: even an empty one is a record held

// Chunk-sized buffers handed round instead of allocated for every chunk. On Windows a block this
// large is fresh virtual memory on each allocation, so every chunk would pay its page faults and
// zeroing again (about half of the archiver's system time under Wine).
class CBufferPool {
 public:
  explicit CBufferPool(std::size_t nKeep) : m_nKeep(nKeep) {}

  // An empty buffer, with the room of one used before when there is one: what it carried must
  // never pass for data (a read that stops at the end of a file leaves it untouched).
  std::string Take() {
    std::lock_guard<CSlimMutex> lock(m_mutex);
    if (m_free.empty()) return std::string();
    std::string buffer = std::move(m_free.back());
    m_free.pop_back();
    buffer.clear();
    return buffer;
  }

  // Keeps large buffers only: small ones come cheaply from the heap.
  void Give(std::string&& buffer) {
    if (buffer.capacity() < kWorthKeeping) return;
    std::lock_guard<CSlimMutex> lock(m_mutex);
    if (m_free.size() < m_nKeep) m_free.push_back(std::move(buffer));
  }

  // A buffer shared by the pieces that read it; it comes back when the last one lets go.
  std::shared_ptr<std::string> TakeShared() {
    return std::shared_ptr<std::string>(new std::string(Take()), [this](std::string* buffer) {
      Give(std::move(*buffer));
      delete buffer;
    });
  }

 private:
  static const std::size_t kWorthKeeping = 256 * 1024;
  CSlimMutex m_mutex;
  std::vector<std::string> m_free;
  std::size_t m_nKeep;
};

// One piece of work: a chunk of a large file, or a whole small file, folder or failure.
struct Piece {
  std::shared_ptr<const std::string> raw;       // null for pieces that need no work
  std::shared_ptr<const std::string> previous;  // the chunk before, for the dictionary
  bool bLoad = false;  // a small file, read whole by a loader
  CompressedChunk result;
};

// What travels between the threads: one chunk of a large file, or a batch of small pieces.
// Its state flags are guarded by the pipeline's mutex.
struct ChunkTask {
  std::vector<Piece> pieces;
  std::size_t nRawBytes = 0;
  bool bNeedsWork = false;
  bool bDone = false;
};

// A small file as a loader read it, waiting for the worker of its piece.
struct LoadedFile {
  std::shared_ptr<const std::string> raw;  // null when it could not be read
  bool bChanged = false;
  std::string error;
};

void MarkReady(CompressedChunk& result, bool bFailed, const std::string& error) {
  result.bFirst = result.bLast = true;
  result.method = kMethodStored;
  result.bFailed = bFailed;
  result.error = error;
}

// One deflate stream per worker, reset for every chunk.
class CDeflater {
 public:
  explicit CDeflater(int nLevel) : m_bOk(false) {
    m_z = z_stream();
    m_bOk = deflateInit2(&m_z, nLevel, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~CDeflater() {
    if (m_bOk) deflateEnd(&m_z);
  }
  bool Ok() const { return m_bOk; }

  bool Deflate(const char* raw, std::size_t size, const std::string* previous, bool bLast,
               std::string& out) {
    if (deflateReset(&m_z) != Z_OK) return false;
    if (previous != nullptr && !previous->empty()) {
      const std::size_t n = previous->size() < kDictionarySize ? previous->size() : kDictionarySize;
      const Bytef* dict = reinterpret_cast<const Bytef*>(previous->data() + previous->size() - n);
      if (deflateSetDictionary(&m_z, dict, static_cast<uInt>(n)) != Z_OK) return false;
    }
    out.resize(deflateBound(&m_z, static_cast<uLong>(size)) + 64);
    m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw));
    m_z.avail_in = static_cast<uInt>(size);
    std::size_t produced = 0;
    for (;;) {
      m_z.next_out = reinterpret_cast<Bytef*>(&out[produced]);
      m_z.avail_out = static_cast<uInt>(out.size() - produced);
      const int rc = deflate(&m_z, bLast ? Z_FINISH : Z_SYNC_FLUSH);
      produced = out.size() - m_z.avail_out;
      if (rc == Z_STREAM_END || (!bLast && rc == Z_OK && m_z.avail_out > 0)) break;
      if (rc != Z_OK && rc != Z_BUF_ERROR) return false;
      out.resize(out.size() * 2);
    }
    out.resize(produced);
    return true;
  }

 private:
  z_stream m_z;
  bool m_bOk;
};

class CPipeline {
 public:
  CPipeline(IFileSystem& fs, const std::vector<PipelineItem>& items, const PipelineSettings& s)
      : m_fs(fs), m_items(items), m_settings(s), m_nThreads(ThreadCount(s)),
        m_nMaxInFlight(4 * m_nThreads + 2), m_pool(2 * m_nMaxInFlight + 4) {
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (IsSmall(items[i])) m_small.push_back(i);
    }
  }

  bool Run(const std::function<bool(CompressedChunk&)>& consume) {
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < m_nThreads; ++i) threads.emplace_back([this] { WorkLoop(); });
    // Opening a file is a round trip to the server under Wine, and much longer on a busy
    // machine: small files are opened by several threads at once so the waits overlap.
    for (unsigned i = 0; i < 2 * m_nThreads; ++i) threads.emplace_back([this] { LoadLoop(); });
    std::thread reader([this] { ReadLoop(); });
    bool bCompleted = true;
    for (;;) {
      std::shared_ptr<ChunkTask> task;
      {
        std::unique_lock<CSlimMutex> lock(m_mutex);
        m_cvOrdered.wait(lock, [this] { return !m_ordered.empty() || m_bReaderDone; });
        if (m_ordered.empty()) break;
        task = m_ordered.front();
        m_ordered.pop_front();
      }
      m_cvSpace.notify_one();
      {
        std::unique_lock<CSlimMutex> lock(m_mutex);
        m_cvDone.wait(lock, [&task] { return task->bDone; });
      }
      for (Piece& piece : task->pieces) {
        if (!consume(piece.result)) {
          bCompleted = false;
          break;
        }
        m_pool.Give(std::move(piece.result.data));
      }
      if (!bCompleted) break;
    }
    {
      std::lock_guard<CSlimMutex> lock(m_mutex);
      m_bAbort = true;
      m_ordered.clear();
    }
    m_cvSpace.notify_all();
    reader.join();
    {
      std::lock_guard<CSlimMutex> lock(m_mutex);
      m_bWorkersStop = true;
    }
    m_cvWork.notify_all();
    m_cvLoad.notify_all();
    m_cvLoaded.notify_all();
    for (std::thread& t : threads) t.join();
    return bCompleted;
  }

 private:
  bool IsSmall(const PipelineItem& item) const {
    return !item.bNoData && item.sizeHint < m_settings.nChunkSize;
  }

  static unsigned ThreadCount(const PipelineSettings& s) {
    const unsigned n = s.nThreads != 0 ? s.nThreads : std::thread::hardware_concurrency();
    return n != 0 ? n : 2;
  }

  // A buffer for up to a chunk of the file: pooled when it is chunk-sized.
  std::shared_ptr<std::string> NewReadBuffer(std::uint64_t sizeHint) {
    return sizeHint < m_settings.nChunkSize ? std::make_shared<std::string>() : m_pool.TakeShared();
  }

  // Hands a task to the caller's queue, and to the workers when it needs them. False once the
  // caller has stopped.
  bool Push(const std::shared_ptr<ChunkTask>& task) {
    std::unique_lock<CSlimMutex> lock(m_mutex);
    m_cvSpace.wait(lock, [this] { return m_bAbort || m_ordered.size() < m_nMaxInFlight; });
    if (m_bAbort) return false;
    m_ordered.push_back(task);
    const bool bWork = task->bNeedsWork;
    if (bWork) {
      m_work.push_back(task);
    } else {
      task->bDone = true;
    }
    lock.unlock();
    m_cvOrdered.notify_one();
    if (bWork) {
      m_cvWork.notify_one();
    } else {
      m_cvDone.notify_one();
    }
    return true;
  }

  bool FlushBatch() {
    if (!m_batch || m_batch->pieces.empty()) return true;
    std::shared_ptr<ChunkTask> batch = m_batch;
    m_batch.reset();
    return Push(batch);
  }

  // Adds a piece of rawBytes to the open batch, handing the batch on once it is big enough.
  bool AddToBatch(Piece piece, std::uint64_t rawBytes) {
    if (!m_batch) m_batch = std::make_shared<ChunkTask>();
    m_batch->nRawBytes += static_cast<std::size_t>(rawBytes);
    m_batch->bNeedsWork = m_batch->bNeedsWork || piece.bLoad || piece.raw != nullptr;
    m_batch->pieces.push_back(std::move(piece));
    if (m_batch->nRawBytes >= m_settings.nChunkSize || m_batch->pieces.size() >= 256) {
      return FlushBatch();
    }
    return true;
  }

  bool AddReady(std::size_t nItem, bool bFailed, const std::string& error) {
    Piece piece;
    piece.result.nItem = nItem;
    MarkReady(piece.result, bFailed, error);
    return AddToBatch(std::move(piece), 0);
  }

  // Reads up to a chunk. A file smaller than a chunk is read at the size it had when it was
  // selected, into a buffer of just that size: thousands of small files must not each cost a
  // chunk-sized allocation. Such a file may have grown since: it is still read to its end, so
  // what is stored is the whole file and the caller sees the size that was read.
  bool ReadFull(IFile& file, std::uint64_t sizeHint, std::string& buffer) {
    const bool bSmall = sizeHint < m_settings.nChunkSize;
    buffer.resize(bSmall ? static_cast<std::size_t>(sizeHint) : m_settings.nChunkSize);
    std::size_t filled = 0;
    while (filled < buffer.size()) {
      std::size_t got = 0;
      if (!file.Read(&buffer[filled], buffer.size() - filled, &got)) return false;
      if (got == 0) break;
      filled += got;
    }
    buffer.resize(filled);
    if (!bSmall || filled < sizeHint) return true;
    char more[kGrowthStep];
    for (;;) {
      std::size_t got = 0;
      if (!file.Read(more, sizeof more, &got)) return false;
      if (got == 0) return true;
      buffer.append(more, got);
    }
  }

  void ReadLoop() {
    bool bGoOn = true;
    for (std::size_t i = 0; i < m_items.size() && bGoOn; ++i) bGoOn = ReadItem(i);
    if (bGoOn) FlushBatch();
    {
      std::lock_guard<CSlimMutex> lock(m_mutex);
      m_bReaderDone = true;
    }
    m_cvOrdered.notify_all();
  }

  bool ReadItem(std::size_t nItem) {
    const PipelineItem& item = m_items[nItem];
    if (item.bNoData) return AddReady(nItem, false, "");
    if (IsSmall(item)) {
      Piece piece;
      piece.bLoad = true;
      piece.result.nItem = nItem;
      piece.result.bFirst = piece.result.bLast = true;
      return AddToBatch(std::move(piece), item.sizeHint);
    }
    std::unique_ptr<IFile> file = m_fs.OpenForReading(item.path);
    if (!file) return AddReady(nItem, true, "cannot open " + item.path);
    std::shared_ptr<std::string> current = NewReadBuffer(item.sizeHint);
    if (!ReadFull(*file, item.sizeHint, *current)) return AddReady(nItem, true, "cannot read " + item.path);
    std::shared_ptr<const std::string> previous;
    std::uint64_t nRead = 0;
    for (bool bFirst = true;; bFirst = false) {
      std::shared_ptr<std::string> next = NewReadBuffer(item.sizeHint);
      const bool bReadOk = current->size() < m_settings.nChunkSize || ReadFull(*file, item.sizeHint, *next);
      if (!bReadOk) {
        // Earlier chunks are queued already; this piece tells the caller to drop the item.
        return AddReady(nItem, true, "cannot read " + item.path);
      }
      const bool bLast = next->empty();
      nRead += current->size();
      Piece piece;
      piece.raw = current;
      piece.previous = previous;
      piece.result.nItem = nItem;
      piece.result.bFirst = bFirst;
      piece.result.bLast = bLast;
      piece.result.bChanged = bLast && ChangedWhileRead(item, nRead);
      if (bFirst && bLast) return AddToBatch(std::move(piece), current->size());
      if (!FlushBatch()) return false;
      auto task = std::make_shared<ChunkTask>();
      task->nRawBytes = current->size();
      task->bNeedsWork = true;
      task->pieces.push_back(std::move(piece));
      if (!Push(task)) return false;
      if (bLast) break;
      previous = current;
      current = next;
    }
    return true;
  }

  // Reads a small file whole, noting whether it changed since it was selected.
  LoadedFile Load(std::size_t nItem) {
    const PipelineItem& item = m_items[nItem];
    LoadedFile loaded;
    std::unique_ptr<IFile> file = m_fs.OpenForReading(item.path);
    if (!file) {
      loaded.error = "cannot open " + item.path;
      return loaded;
    }
    auto raw = std::make_shared<std::string>();
    if (!ReadFull(*file, item.sizeHint, *raw)) {
      loaded.error = "cannot read " + item.path;
      return loaded;
    }
    loaded.raw = raw;
    loaded.bChanged = ChangedWhileRead(item, raw->size());
    return loaded;
  }

  bool ChangedWhileRead(const PipelineItem& item, std::uint64_t nRead) {
    DirectoryEntry now;
    return nRead != item.sizeHint || !m_fs.Stat(item.path, &now) || now.size != item.sizeHint ||
           now.lastWriteTime != item.lastWriteTime;
  }

  // Reads the small files in item order, as far ahead of the workers as the read-ahead allows.
  void LoadLoop() {
    for (;;) {
      std::size_t nItem = 0;
      {
        std::unique_lock<CSlimMutex> lock(m_mutex);
        m_cvLoad.wait(lock, [this] {
          return m_bWorkersStop || (m_nNextLoad < m_small.size() &&
                                    m_nReadAhead < kReadAheadChunks * m_settings.nChunkSize &&
                                    m_nReadAheadFiles < kReadAheadFiles);
        });
        if (m_bWorkersStop) return;
        nItem = m_small[m_nNextLoad++];
        m_nReadAhead += m_items[nItem].sizeHint;
        ++m_nReadAheadFiles;
      }
      LoadedFile loaded = Load(nItem);
      {
        std::lock_guard<CSlimMutex> lock(m_mutex);
        m_loaded[nItem] = std::move(loaded);
      }
      m_cvLoaded.notify_all();
    }
  }

  // Gives a small file's piece what its loader read. False when the pipeline stops first.
  bool TakeLoaded(Piece& piece) {
    const std::size_t nItem = piece.result.nItem;
    LoadedFile loaded;
    {
      std::unique_lock<CSlimMutex> lock(m_mutex);
      m_cvLoaded.wait(lock, [&] { return m_bWorkersStop || m_loaded.count(nItem) != 0; });
      if (m_bWorkersStop) return false;
      auto it = m_loaded.find(nItem);
      loaded = std::move(it->second);
      m_loaded.erase(it);
      m_nReadAhead -= m_items[nItem].sizeHint;
      --m_nReadAheadFiles;
    }
    m_cvLoad.notify_one();
    if (!loaded.raw) {
      MarkReady(piece.result, true, loaded.error);
    } else {
      piece.raw = std::move(loaded.raw);
      piece.result.bChanged = loaded.bChanged;
    }
    return true;
  }

  void WorkLoop() {
    CDeflater deflater(m_settings.nLevel > 0 ? m_settings.nLevel : 1);
    CDeflater storer(0);   // stored deflate blocks, for incompressible chunks
    CDeflater sampler(1);  // a quick look at a chunk's first bytes
    std::string sample;    // what the look produced, kept for the next one
    for (;;) {
      std::shared_ptr<ChunkTask> task;
      {
        std::unique_lock<CSlimMutex> lock(m_mutex);
        m_cvWork.wait(lock, [this] { return !m_work.empty() || m_bWorkersStop; });
        if (m_work.empty()) return;
        task = m_work.front();
        m_work.pop_front();
      }
      for (Piece& piece : task->pieces) {
        if (piece.bLoad && !TakeLoaded(piece)) return;
        if (piece.raw) Process(deflater, storer, sampler, sample, piece);
      }
      {
        std::lock_guard<CSlimMutex> lock(m_mutex);
        task->bDone = true;
      }
      m_cvDone.notify_one();
    }
  }

  // Whether a chunk is not worth deflating (already compressed data): its first 64 KiB
  // deflated quickly save less than 2%.
  static bool LooksIncompressible(CDeflater& sampler, const std::string& raw, std::string& packed) {
    const std::size_t n = raw.size() < kSampleSize ? raw.size() : kSampleSize;
    if (!sampler.Ok() || !sampler.Deflate(raw.data(), n, nullptr, true, packed)) return false;
    return packed.size() >= n - n / 50;
  }

  void Process(CDeflater& deflater, CDeflater& storer, CDeflater& sampler, std::string& sample,
               Piece& piece) {
    CompressedChunk& r = piece.result;
    const std::string& raw = *piece.raw;
    r.rawSize = raw.size();
    r.crc = Crc32(0, raw.data(), raw.size());
    r.method = kMethodDeflated;
    // Chunk-sized output goes into a pooled buffer, which the caller gives back.
    if (raw.size() >= m_settings.nChunkSize || !(r.bFirst && r.bLast)) r.data = m_pool.Take();
    if (m_settings.nLevel == 0) {
      r.method = kMethodStored;
    } else if (r.bFirst && r.bLast) {
      // A file of one chunk is stored when deflate does not make it smaller.
      if (raw.empty() || !deflater.Ok() ||
          !deflater.Deflate(raw.data(), raw.size(), nullptr, true, r.data) ||
          r.data.size() >= raw.size()) {
        r.method = kMethodStored;
      }
    } else {
      // A larger file is always one deflate stream; its incompressible chunks go in as stored
      // deflate blocks, which costs a copy instead of a compression and 5 bytes per 64 KiB.
      CDeflater& chosen = LooksIncompressible(sampler, raw, sample) ? storer : deflater;
      if (!chosen.Ok() ||
          !chosen.Deflate(raw.data(), raw.size(), piece.previous.get(), r.bLast, r.data)) {
        r.bFailed = true;
        r.error = "compression failed for " + m_items[r.nItem].path;
      }
    }
    if (r.method == kMethodStored) r.data = raw;
  }

  IFileSystem& m_fs;
  const std::vector<PipelineItem>& m_items;
  PipelineSettings m_settings;
  unsigned m_nThreads;
  std::size_t m_nMaxInFlight;
  CBufferPool m_pool;  // before the queues: their pieces give buffers back when destroyed
  CSlimMutex m_mutex;
  CSlimCondition m_cvOrdered, m_cvSpace, m_cvLoad, m_cvLoaded, m_cvWork, m_cvDone;
  std::deque<std::shared_ptr<ChunkTask>> m_ordered, m_work;
  std::shared_ptr<ChunkTask> m_batch;  // small pieces gathered by the reader
  std::vector<std::size_t> m_small;  // the small files' items, in order, for the loaders
  std::size_t m_nNextLoad = 0;        // in m_small
  std::uint64_t m_nReadAhead = 0;     // bytes of small files taken by loaders, not yet by workers
  std::size_t m_nReadAheadFiles = 0;  // and how many files
  std::map<std::size_t, LoadedFile> m_loaded;  // by item
  bool m_bReaderDone = false, m_bAbort = false, m_bWorkersStop = false;
};

}  // namespace

bool CompressItems(IFileSystem& fs, const std::vector<PipelineItem>& items,
                   const PipelineSettings& settings,
                   const std::function<bool(CompressedChunk&)>& consume) {
  CPipeline pipeline(fs, items, settings);
  return pipeline.Run(consume);
}

}  // namespace rar
}  // namespace dorvik
