#pragma once
// Files and folders as every part of the system sees them: the jobs, the retention cleanup, the
// programs' start-up and the archiver. Paths are narrow text as the system passes them around;
// the Win32 implementation reaches them through the W functions with "\\?\" paths, so names
// GBK cannot spell, trailing dots and blanks and paths past 260 characters all work; the POSIX
// one serves the native build; tests use tests/common/fake_file_system.h.
//
// Names in Win32 paths and listings: GBK where GBK spells every character; a character it
// cannot spell (an emoji, Hangul, Arabic, an unpaired surrogate) is written as the byte 0xFF
// followed by four upper-case hex digits per UTF-16 unit: "emoji_😀.txt" is listed as
// "emoji_" 0xFF "D83D" 0xFF "DE00" ".txt". No GBK text holds 0xFF (it is neither a lead nor a
// trail byte), so the form never names another file; the digits are ASCII, so separators,
// extensions and masks are found in it as before; the file system maps it back when such a
// path is passed in, and refuses any other spelling of a name (ERROR_INVALID_NAME). Such names
// stay inside the file system and the archiver: they must not reach a command line or a log
// line another program reads as GBK. NameToUtf8 and NameFromUtf8 carry them to and from UTF-8.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dorvik {

struct DirectoryEntry {
  std::string name;            // without the folder; "." and ".." are never listed
  bool isDirectory = false;    // for a link: whether it points to a folder
  bool isLink = false;         // a reparse point (junction, symbolic link): never to be followed
  bool isHiddenOrSystem = false;  // Windows attributes that xcopy without /h leaves out
  std::int64_t lastWriteTime = 0;  // seconds since the epoch
  std::int64_t creationTime = 0;   // likewise; POSIX keeps none, so there it is the last write
  std::uint64_t size = 0;          // 0 for a folder
};

// An open file, read or written in pieces (the archiver streams through these).
class IFile {
 public:
  virtual ~IFile() = default;
  // Reads up to `size` bytes; `*got` is 0 at the end of the file. False on a read error.
  virtual bool Read(char* buffer, std::size_t size, std::size_t* got) = 0;
  virtual bool Write(const char* data, std::size_t size) = 0;
  // Positioned access; the position of Read and Write does not move.
  virtual bool ReadAt(std::uint64_t offset, char* buffer, std::size_t size) = 0;
  virtual bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) = 0;
  virtual std::uint64_t Size() = 0;
  // Cuts the file to `size` bytes; Write goes on from there.
  virtual bool Truncate(std::uint64_t size) = 0;
  // Flushes and closes; false when the data may not be on disk.
  virtual bool Close() = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  // The entry of one path (its name without the folder). False when the path does not exist.
  virtual bool Stat(const std::string& path, DirectoryEntry* entry) = 0;
  virtual bool MakeDirectory(const std::string& path) = 0;  // one level; true if it exists now
  // The entries of a folder. False when it cannot be listed whole (what was read is kept).
  virtual bool ListDirectory(const std::string& folder, std::vector<DirectoryEntry>* entries) = 0;
  // The entries as far as they could be read (none for a folder that cannot be opened).
  std::vector<DirectoryEntry> ListDirectory(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    ListDirectory(folder, &entries);  // a listing cut short keeps what was read: callers take that
    return entries;
  }
  virtual bool RemoveFile(const std::string& path) = 0;  // a read-only file stays
  // Clears a file's read-only mark, so that RemoveFile can delete it.
  virtual bool ClearReadOnly(const std::string& path) = 0;
  virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
  // Creates the folder (one level) only when nothing of that name exists: true only for the one
  // caller that made it, so two processes can never both claim a name.
  virtual bool MakeNewFolder(const std::string& path) = 0;
  // Removes a link itself (a folder link as well as a file link), never what it points to.
  virtual bool RemoveLink(const std::string& path) = 0;
  // The path with every link on the way resolved, as the system names the real folder or
  // file. False when it does not exist.
  virtual bool FindRealPath(const std::string& path, std::string* realPath) = 0;
  // The whole content of a file, read while others may be appending to it. False when it
  // cannot be opened or read (the content is then empty).
  virtual bool ReadWholeFile(const std::string& path, std::string* content) = 0;
  // Appends the bytes in one write to the file, creating it when needed. Appends from several
  // threads and processes never interleave: each call's bytes land whole and together.
  virtual bool AppendToFile(const std::string& path, const std::string& bytes) = 0;

  // Null when the file cannot be opened; others may read, write, move or delete it meanwhile.
  virtual std::unique_ptr<IFile> OpenForReading(const std::string& path) = 0;
  // A new file for reading and writing; null when the path exists.
  virtual std::unique_ptr<IFile> CreateNewFile(const std::string& path) = 0;
  // Moves `from` over `to` in one step, replacing `to` when it exists.
  virtual bool MoveOver(const std::string& from, const std::string& to) = 0;
  // Moves `from` to `to` only when nothing of that name exists (never replacing it).
  virtual bool MoveToNewName(const std::string& from, const std::string& to) = 0;
  virtual bool SetLastWriteTime(const std::string& path, std::int64_t epochSeconds) = 0;

  // Paths with "\" and drive letters, names compared without ASCII case (else POSIX paths).
  virtual bool UsesWindowsPaths() const = 0;
  // The absolute form of a path, for telling whether two paths name the same file.
  virtual std::string FullPath(const std::string& path) = 0;
  // Whether two full paths name the same file.
  virtual bool SamePath(const std::string& a, const std::string& b) = 0;
  // File names in the file system's code page to UTF-8 and back.
  virtual std::string NameToUtf8(const std::string& name) = 0;
  virtual std::string NameFromUtf8(const std::string& utf8) = 0;

  // Why the last failing call on this thread failed, in the system's words with its error
  // number ("拒绝访问。 (5)"): for messages that say why a path could not be made or removed.
  virtual std::string LastErrorText() = 0;
};

// The machine's file system (Win32 in the Windows tree, POSIX natively, where the Windows
// separator "\" in paths is read as "/").
IFileSystem& RealFileSystem();

// Whether a file or folder is at `path` on the real disk; an empty path names nothing. The one
// existence check the programs hand to the portable checks as their `pathExists`.
inline bool PathExistsOnDisk(const std::string& path) { return !path.empty() && RealFileSystem().Exists(path); }

}  // namespace dorvik
