#include "tools/rar/archive_extract.h"

#include <zlib.h>

#include <memory>

#include "common/clock.h"
#include "common/wildcard.h"
#include "tools/rar/exit_codes.h"
#include "tools/rar/path_style.h"
#include "tools/rar/selection.h"
#include "tools/rar/zip_format.h"
#include "tools/rar/zip_reader.h"

namespace dorvik {
namespace rar {

namespace {

const std::size_t kBlock = 1 << 18;

RawArgument JoinArguments(const std::vector<RawArgument>& args, std::size_t first, std::size_t last) {
  RawArgument joined = args[first];
  for (std::size_t i = first + 1; i <= last; ++i) {
    joined.text += std::string(args[i].begin - joined.end, ' ') + args[i].text;
    joined.end = args[i].end;
  }
  return joined;
}

// Streams one entry's data through inflate (or as stored) into `sink`; checks size and CRC.
class CEntryReader {
 public:
  enum Result { kOk, kReadError, kDataError, kCrcError, kSinkError };

  template <typename Sink>
  static Result Read(IFile& archive, const ZipEntry& entry, std::uint64_t offset, Sink sink) {
    z_stream z = z_stream();
    const bool bDeflated = entry.method == kMethodDeflated;
    if (bDeflated && inflateInit2(&z, -15) != Z_OK) return kDataError;
    std::string in, out(kBlock, '\0');
    std::uint32_t crc = 0;
    std::uint64_t produced = 0;
    Result result = kOk;
    bool bEnded = !bDeflated;
    for (std::uint64_t done = 0; done < entry.compressedSize && result == kOk;) {
      const std::uint64_t left = entry.compressedSize - done;
      in.resize(static_cast<std::size_t>(left < kBlock ? left : kBlock));
      if (!archive.ReadAt(offset + done, &in[0], in.size())) {
        result = kReadError;
        break;
      }
      done += in.size();
      if (!bDeflated) {
        crc = static_cast<std::uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(in.data()),
                                               static_cast<uInt>(in.size())));
        produced += in.size();
        if (!sink(in.data(), in.size())) result = kSinkError;
        continue;
      }
      z.next_in = reinterpret_cast<Bytef*>(&in[0]);
      z.avail_in = static_cast<uInt>(in.size());
      while (z.avail_in > 0 && !bEnded && result == kOk) {
        z.next_out = reinterpret_cast<Bytef*>(&out[0]);
        z.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
          result = kDataError;
          break;
        }
        const std::size_t n = out.size() - z.avail_out;
        crc = static_cast<std::uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(out.data()),
                                               static_cast<uInt>(n)));
        produced += n;
        if (n > 0 && !sink(out.data(), n)) result = kSinkError;
        if (rc == Z_STREAM_END) bEnded = true;
      }
    }
    if (bDeflated) inflateEnd(&z);
    if (result != kOk) return result;
    if (!bEnded || produced != entry.uncompressedSize) return kDataError;
    return crc == entry.crc ? kOk : kCrcError;
  }
};

class CExtractRun {
 public:
  CExtractRun(IFileSystem& fs, const RarOptions& options, CRarReport& report)
      : m_fs(fs), m_style(PathStyle::Of(fs)), m_options(options), m_report(report) {}

  int Run() {
    std::vector<RawArgument> args = m_options.positional;
    JoinSplitPaths(m_fs, args);
    m_strArchive = args[0].text;
    std::size_t maskEnd = args.size();
    if (m_options.command != RarCommand::kTest && args.size() >= 2 &&
        !HasWildcard(args.back().text)) {
      m_strDestination = m_style.StripTrailingSeparators(args.back().text);
      maskEnd = args.size() - 1;
    }
    for (std::size_t i = 1; i < maskEnd; ++i) m_masks.push_back(args[i].text);

    std::unique_ptr<IFile> archive = m_fs.OpenForReading(m_strArchive);
    if (!archive) return Fail(kExitOpen, "cannot open the archive");
    std::vector<ZipEntry> entries;
    std::string error;
    if (!ReadZipDirectory(*archive, entries, error)) return Fail(kExitFatal, error);
    if (m_options.command != RarCommand::kTest && !m_strDestination.empty() &&
        !CreateFolders(m_strDestination)) {
      return Fail(kExitWrite, "cannot create the folder " + m_strDestination);
    }
    std::size_t nMatched = 0;
    for (const ZipEntry& entry : entries) {
      std::string relative;
      if (!LocalName(entry, relative)) continue;
      if (!Matches(relative)) continue;
      ++nMatched;
      if (entry.IsDirectory()) {
        if (m_options.command == RarCommand::kExtractPaths && !CreateFolders(Target(relative))) {
          Warn(kExitWrite, "cannot create the folder " + Target(relative));
        }
        continue;
      }
      ExtractEntry(*archive, entry, relative);
    }
    archive->Close();  // read-only: nothing to lose if closing fails
    if (nMatched == 0) return Fail(kExitNoFiles, "no files to extract");
    return m_nExit;
  }

 private:
  int Fail(int nCode, const std::string& message) {
    Warn(nCode, message);
    return m_nExit;
  }
  void Warn(int nCode, const std::string& message) {
    m_report.Error(message);
    m_nExit = WorseExit(m_nExit, nCode);
  }

  // The entry's path in the file system's form; false (and reported) for names that would
  // leave the destination folder.
  bool LocalName(const ZipEntry& entry, std::string& relative) {
    std::string name = (entry.flags & kFlagUtf8) != 0 ? m_fs.NameFromUtf8(entry.name) : entry.name;
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 0; i <= name.size(); ++i) {
      const bool bEnd = i == name.size();
      // Stored names use '/'; some Windows tools wrote '\', a separator here too.
      const bool bSeparator = !bEnd && (name[i] == '/' || (name[i] == '\\' && m_style.LastSeparator(name.substr(0, i + 1)) == i));
      if (bEnd || bSeparator) {
        if (part == "..") {
          Warn(kExitWarning, "skipped an unsafe name: " + name);
          return false;
        }
        if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
      } else {
        part += name[i];
      }
    }
    if (parts.empty() || (parts[0].size() >= 2 && parts[0][1] == ':')) {
      if (!parts.empty()) Warn(kExitWarning, "skipped an unsafe name: " + name);
      return false;
    }
    relative.clear();
    const std::size_t first = m_options.command == RarCommand::kExtractFlat && !entry.IsDirectory()
                                  ? parts.size() - 1 : 0;
    for (std::size_t i = first; i < parts.size(); ++i) relative = m_style.Join(relative, parts[i]);
    return true;
  }

  bool Matches(const std::string& relative) {
    if (m_masks.empty()) return true;
    for (const std::string& mask : m_masks) {
      if (MatchesMask(m_style.LastComponent(relative), mask) || MatchesMask(relative, mask)) return true;
    }
    return false;
  }

  std::string Target(const std::string& relative) { return m_style.Join(m_strDestination, relative); }

  bool CreateFolders(const std::string& folder) {
    DirectoryEntry info;
    if (folder.empty() || m_fs.Stat(folder, &info)) return folder.empty() || info.isDirectory;
    const std::string parent = m_style.Parent(folder);
    if (!parent.empty() && parent != folder && !CreateFolders(parent)) return false;
    return m_fs.MakeDirectory(folder);
  }

  void ExtractEntry(IFile& archive, const ZipEntry& entry, const std::string& relative) {
    if ((entry.flags & 0x0001) != 0) return Warn(kExitFatal, "encrypted entry not supported: " + relative);
    if (entry.method != kMethodStored && entry.method != kMethodDeflated) {
      return Warn(kExitFatal, "unsupported compression method of " + relative);
    }
    std::uint64_t offset = 0;
    std::string error;
    if (!FindEntryData(archive, entry, offset, error)) return Warn(kExitFatal, error);
    if (m_options.command == RarCommand::kTest) {
      const CEntryReader::Result r =
          CEntryReader::Read(archive, entry, offset, [](const char*, std::size_t) { return true; });
      return Report(r, relative, "Testing  ");
    }
    const std::string target = Target(relative);
    DirectoryEntry existing;
    if (m_fs.Stat(target, &existing)) {
      if (existing.isDirectory) return Warn(kExitWrite, "a folder stands in the way of " + target);
      if (m_options.bKeepExisting) return;
      if (!m_options.bOverwrite && !m_options.bAssumeYes) {
        return Warn(kExitWarning, "kept the existing " + target + " (use -o+ or -y to replace it)");
      }
    }
    if (m_options.command == RarCommand::kExtractPaths && !CreateFolders(m_style.Parent(target))) {
      return Warn(kExitWrite, "cannot create the folder " + m_style.Parent(target));
    }
    const std::string temp = target + ".rartmp";
    DirectoryEntry stale;
    if (m_fs.Stat(temp, &stale) && !m_fs.RemoveFile(temp)) return Warn(kExitWrite, "cannot replace " + temp);
    std::unique_ptr<IFile> out = m_fs.CreateNewFile(temp);
    if (!out) return Warn(kExitWrite, "cannot create " + target);
    const CEntryReader::Result r = CEntryReader::Read(
        archive, entry, offset, [&](const char* data, std::size_t size) { return out->Write(data, size); });
    const bool bClosed = out->Close();
    if (r != CEntryReader::kOk || !bClosed || !m_fs.MoveOver(temp, target)) {
      if (!m_fs.RemoveFile(temp)) m_report.Error("cannot delete " + temp);
      if (r == CEntryReader::kOk) return Warn(kExitWrite, "cannot write " + target);
      return Report(r, target, "");
    }
    if (!m_fs.SetLastWriteTime(target, ToEpochSeconds(FromDosDateTime(entry.dosDateTime)))) {
      Warn(kExitWarning, "cannot set the time of " + target);
    }
    m_report.Progress("Extracting  " + target);
  }

  void Report(CEntryReader::Result r, const std::string& name, const char* progress) {
    switch (r) {
      case CEntryReader::kOk:
        if (*progress != '\0') m_report.Progress(progress + name + "  OK");
        return;
      case CEntryReader::kCrcError:
        return Warn(kExitCrc, "CRC error in " + name);
      case CEntryReader::kDataError:
        return Warn(kExitCrc, "damaged data in " + name);
      case CEntryReader::kReadError:
        return Warn(kExitFatal, "cannot read the archive at " + name);
      case CEntryReader::kSinkError:
        return Warn(kExitWrite, "cannot write " + name);
    }
  }

  IFileSystem& m_fs;
  PathStyle m_style;
  const RarOptions& m_options;
  CRarReport& m_report;
  std::string m_strArchive;
  std::string m_strDestination;
  std::vector<std::string> m_masks;
  int m_nExit = kExitSuccess;
};

}  // namespace

void JoinSplitPaths(IFileSystem& fs, std::vector<RawArgument>& positional) {
  DirectoryEntry info;
  if (positional.empty() || fs.Stat(positional[0].text, &info)) return;
  for (std::size_t last = positional.size() - 1; last > 0; --last) {
    RawArgument joined = JoinArguments(positional, 0, last);
    if (!fs.Stat(joined.text, &info) || info.isDirectory) continue;
    std::vector<RawArgument> result(1, joined);
    if (last + 1 < positional.size()) {
      result.push_back(JoinArguments(positional, last + 1, positional.size() - 1));
    }
    positional = result;
    return;
  }
}

int RunExtract(IFileSystem& fs, const RarOptions& options, CRarReport& report) {
  CExtractRun run(fs, options, report);
  return run.Run();
}

}  // namespace rar
}  // namespace dorvik
