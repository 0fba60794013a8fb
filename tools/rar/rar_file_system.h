#pragma once
// The operating system as the archiver sees it: folder listings, streamed reads and writes,
// time stamps, deletes, atomic replacement and file name code pages. The Win32 implementation
// uses the A functions on GBK paths; the POSIX one serves the native build and its benchmark.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "tools/rar/path_style.h"

namespace dorvik {
namespace rar {

struct FileInfo {
  std::string name;  // without the folder
  bool bDirectory = false;
  std::uint64_t size = 0;
  LocalTime lastWrite;  // local time, as ZIP's DOS stamps keep it
};

class IRarFile {
 public:
  virtual ~IRarFile() = default;
  // Reads up to `size` bytes; `got` is 0 at the end of the file. False on a read error.
  virtual bool Read(char* buffer, std::size_t size, std::size_t& got) = 0;
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

class IRarFileSystem {
 public:
  virtual ~IRarFileSystem() = default;
  virtual PathStyle Style() const = 0;
  // False when the path does not exist.
  virtual bool Stat(const std::string& path, FileInfo& info) = 0;
  // The entries of a folder ("." and ".." left out). False when it cannot be listed.
  virtual bool ListFolder(const std::string& folder, std::vector<FileInfo>& entries) = 0;
  virtual std::unique_ptr<IRarFile> OpenRead(const std::string& path) = 0;
  // Creates a new file for reading and writing; fails when the path exists.
  virtual std::unique_ptr<IRarFile> CreateNew(const std::string& path) = 0;
  // Moves `from` over `to` in one step, replacing `to` when it exists.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool RemoveFolder(const std::string& path) = 0;  // an empty folder only
  virtual bool MakeFolder(const std::string& path) = 0;  // one level; true if it exists now
  // Appends text to a file, creating it when missing (the error log).
  virtual bool AppendToFile(const std::string& path, const std::string& text) = 0;
  virtual bool SetLastWriteTime(const std::string& path, const LocalTime& time) = 0;
  // The absolute form of a path, for telling whether two paths name the same file.
  virtual std::string FullPath(const std::string& path) = 0;
  // Whether two full paths name the same file (case-insensitive on Windows).
  virtual bool SamePath(const std::string& a, const std::string& b) = 0;
  // File names in the file system's code page to UTF-8 and back (ZIP's bit 11 names).
  virtual std::string NameToUtf8(const std::string& name) = 0;
  virtual std::string NameFromUtf8(const std::string& utf8) = 0;
  // The folder of the running program, where rar.log is kept.
  virtual std::string ProgramFolder() = 0;
  // A time stamp for the log.
  virtual LocalTime Now() = 0;
};

}  // namespace rar
}  // namespace dorvik
