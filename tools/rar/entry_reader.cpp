#include "tools/rar/entry_reader.h"

#include <zlib.h>

#include <string>

namespace dorvik {
namespace rar {

namespace {

const std::size_t kBlock = 1 << 18;

// One entry's bytes on their way out: counted against the declared size before the sink sees
// them, and summed into the CRC.
class COutputCheck {
 public:
  COutputCheck(const ZipEntry& entry, const std::function<bool(const char*, std::size_t)>& sink)
      : m_nDeclared(entry.uncompressedSize), m_sink(sink) {}

  EntryReadResult Take(const char* data, std::size_t size) {
    if (size > m_nDeclared - m_nProduced) return EntryReadResult::kTooLong;
    m_nProduced += size;
    m_nCrc = Crc32(m_nCrc, data, size);
    if (size > 0 && !m_sink(data, size)) return EntryReadResult::kSinkError;
    return EntryReadResult::kOk;
  }
  bool Complete() const { return m_nProduced == m_nDeclared; }
  std::uint32_t Crc() const { return m_nCrc; }

 private:
  std::uint64_t m_nDeclared;
  std::uint64_t m_nProduced = 0;
  std::uint32_t m_nCrc = 0;
  const std::function<bool(const char*, std::size_t)>& m_sink;
};

}  // namespace

EntryReadResult ReadEntryData(IFile& archive, const ZipEntry& entry, std::uint64_t dataOffset,
                              const std::function<bool(const char*, std::size_t)>& sink) {
  z_stream z = z_stream();
  const bool bDeflated = entry.method == kMethodDeflated;
  if (bDeflated && inflateInit2(&z, -15) != Z_OK) return EntryReadResult::kDataError;
  COutputCheck output(entry, sink);
  // Buffers no larger than the entry needs: most entries are small, and a block this size is
  // fresh memory to fault in and clear on every allocation. The output keeps some room past the
  // declared size, so the end of the stream and any excess are both seen.
  const std::uint64_t outSize = entry.uncompressedSize + 1024;
  std::string in, out(bDeflated ? static_cast<std::size_t>(outSize < kBlock ? outSize : kBlock) : 0, '\0');
  EntryReadResult result = EntryReadResult::kOk;
  bool bEnded = !bDeflated;
  for (std::uint64_t done = 0; done < entry.compressedSize && result == EntryReadResult::kOk;) {
    const std::uint64_t left = entry.compressedSize - done;
    in.resize(static_cast<std::size_t>(left < kBlock ? left : kBlock));
    if (!archive.ReadAt(dataOffset + done, &in[0], in.size())) {
      result = EntryReadResult::kReadError;
      break;
    }
    done += in.size();
    if (!bDeflated) {
      result = output.Take(in.data(), in.size());
      continue;
    }
    z.next_in = reinterpret_cast<Bytef*>(&in[0]);
    z.avail_in = static_cast<uInt>(in.size());
    while (z.avail_in > 0 && !bEnded && result == EntryReadResult::kOk) {
      z.next_out = reinterpret_cast<Bytef*>(&out[0]);
      z.avail_out = static_cast<uInt>(out.size());
      const int rc = inflate(&z, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END) {
        result = EntryReadResult::kDataError;
        break;
      }
      result = output.Take(out.data(), out.size() - z.avail_out);
      if (rc == Z_STREAM_END) bEnded = true;
    }
  }
  if (bDeflated) inflateEnd(&z);
  if (result != EntryReadResult::kOk) return result;
  if (!bEnded || !output.Complete()) return EntryReadResult::kDataError;
  return output.Crc() == entry.crc ? EntryReadResult::kOk : EntryReadResult::kCrcError;
}

}  // namespace rar
}  // namespace dorvik
