#include "tools/rar/archive_extract.h"

#include <memory>

#include "common/clock.h"
#include "common/wildcard.h"
#include "tools/rar/entry_reader.h"
#include "tools/rar/exit_codes.h"
#include "tools/rar/path_style.h"
#include "tools/rar/selection.h"
#include "tools/rar/temp_name.h"
#include "tools/rar/zip_format.h"
#include "tools/rar/zip_reader.h"

namespace dorvik {
namespace rar {

namespace {

RawArgument JoinArguments(const std::vector<RawArgument>& args, std::size_t first, std::size_t last) {
  RawArgument joined = args[first];
  for (std::size_t i = first + 1; i <= last; ++i) {
    joined.text += std::string(args[i].begin - joined.end, ' ') + args[i].text;
    joined.end = args[i].end;
  }
  return joined;
}

bool AllJoinable(const std::vector<RawArgument>& args, std::size_t first, std::size_t last) {
  for (std::size_t i = first; i <= last; ++i) {
    if (args[i].bQuoted || HasWildcard(args[i].text)) return false;
  }
  return true;
}

bool IsRegularFile(IFileSystem& fs, const std::string& path) {
  DirectoryEntry info;
  return fs.Stat(path, &info) && !info.isDirectory;
}

class CExtractRun {
 public:
  CExtractRun(IFileSystem& fs, const RarOptions& options, CRarReport& report)
      : m_fs(fs), m_style(CPathStyle::Of(fs)), m_options(options), m_report(report) {}

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
    std::vector<std::uint64_t> offsets;
    std::string error;
    if (!ReadZipDirectory(*archive, entries, error) || !LocateEntries(*archive, entries, offsets, error)) {
      return Fail(kExitFatal, error);
    }
    if (m_options.command != RarCommand::kTest && !m_strDestination.empty() &&
        !CreateFolders(m_strDestination)) {
      return Fail(kExitWrite, "cannot create the folder " + m_strDestination);
    }
    std::size_t nMatched = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const ZipEntry& entry = entries[i];
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
      ExtractEntry(*archive, entry, offsets[i], relative);
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

  void ExtractEntry(IFile& archive, const ZipEntry& entry, std::uint64_t offset, const std::string& relative) {
    if ((entry.flags & 0x0001) != 0) return Warn(kExitFatal, "encrypted entry not supported: " + relative);
    if (entry.method != kMethodStored && entry.method != kMethodDeflated) {
      return Warn(kExitFatal, "unsupported compression method of " + relative);
    }
    if (m_options.command == RarCommand::kTest) {
      const EntryReadResult r =
          ReadEntryData(archive, entry, offset, [](const char*, std::size_t) { return true; });
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
    std::string temp;
    std::unique_ptr<IFile> out = CreateTemporaryFor(m_fs, target, temp);
    if (!out) return Warn(kExitWrite, "cannot create " + target);
    const EntryReadResult r = ReadEntryData(
        archive, entry, offset, [&](const char* data, std::size_t size) { return out->Write(data, size); });
    const bool bClosed = out->Close();
    if (r != EntryReadResult::kOk || !bClosed || !m_fs.MoveOver(temp, target)) {
      if (!m_fs.RemoveFile(temp)) m_report.Error("cannot delete " + temp);
      if (r == EntryReadResult::kOk) return Warn(kExitWrite, "cannot write " + target);
      return Report(r, target, "");
    }
    if (!m_fs.SetLastWriteTime(target, ToEpochSeconds(FromDosDateTime(entry.dosDateTime)))) {
      Warn(kExitWarning, "cannot set the time of " + target);
    }
    m_report.Progress("Extracting  " + target);
  }

  void Report(EntryReadResult r, const std::string& name, const char* progress) {
    switch (r) {
      case EntryReadResult::kOk:
        if (*progress != '\0') m_report.Progress(progress + name + "  OK");
        return;
      case EntryReadResult::kCrcError:
        return Warn(kExitCrc, "CRC error in " + name);
      case EntryReadResult::kDataError:
        return Warn(kExitCrc, "damaged data in " + name);
      case EntryReadResult::kTooLong:
        return Warn(kExitCrc, "more data than the archive declares in " + name + ": stopped");
      case EntryReadResult::kReadError:
        return Warn(kExitFatal, "cannot read the archive at " + name);
      case EntryReadResult::kSinkError:
        return Warn(kExitWrite, "cannot write " + name);
    }
  }

  IFileSystem& m_fs;
  CPathStyle m_style;
  const RarOptions& m_options;
  CRarReport& m_report;
  std::string m_strArchive;
  std::string m_strDestination;
  std::vector<std::string> m_masks;
  int m_nExit = kExitSuccess;
};

}  // namespace

void JoinSplitPaths(IFileSystem& fs, std::vector<RawArgument>& positional) {
  if (positional.empty()) return;
  std::size_t archiveEnd = 0;  // the last argument of the archive's name
  if (!IsRegularFile(fs, positional[0].text)) {
    for (std::size_t last = positional.size() - 1; last > 0 && archiveEnd == 0; --last) {
      if (AllJoinable(positional, 0, last) && IsRegularFile(fs, JoinArguments(positional, 0, last).text)) {
        archiveEnd = last;
      }
    }
    if (archiveEnd == 0) return;
  }
  const std::size_t first = archiveEnd + 1;
  std::vector<RawArgument> result(1, JoinArguments(positional, 0, archiveEnd));
  if (first < positional.size()) {
    const RawArgument rest = JoinArguments(positional, first, positional.size() - 1);
    // After a whole archive name, split arguments are joined only when they name a folder
    // together: otherwise they are entry masks and the destination.
    const bool bJoinRest = archiveEnd > 0 || (positional.size() - first >= 2 &&
                                              AllJoinable(positional, first, positional.size() - 1) &&
                                              fs.IsDirectory(rest.text));
    if (bJoinRest) {
      result.push_back(rest);
    } else {
      result.insert(result.end(), positional.begin() + static_cast<std::ptrdiff_t>(first), positional.end());
    }
  }
  positional = result;
}

int RunExtract(IFileSystem& fs, const RarOptions& options, CRarReport& report) {
  CExtractRun run(fs, options, report);
  return run.Run();
}

}  // namespace rar
}  // namespace dorvik
