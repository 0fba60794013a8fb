#pragma once
// Where config.db's bytes live. The Win32 implementation uses a file beside the program, an
// atomic replace and a named mutex; tests of the portable core use an in-memory fake.
#include <memory>
#include <string>

namespace dorvik {

enum class ConfigReadResult { Ok, OpenFailed, SeekFailed, ReadFailed };

class IConfigFile {
 public:
  virtual ~IConfigFile() = default;
  virtual bool Exists() = 0;
  // Reads at most maxBytes stored bytes (all when 0).
  virtual ConfigReadResult ReadStored(std::string* stored, std::size_t maxBytes = 0) = 0;
  // Replaces the whole content atomically: a reader sees the old or the new bytes, never a mix
  // or a short file. False when nothing could be written (the old content then stays).
  virtual bool WriteStored(const std::string& stored) = 0;
  virtual bool Remove() = 0;
  // Renames the file to its path + suffix, never over an existing file; *newPath is the full
  // new path. False when it could not be moved (the file then stays where it was).
  virtual bool MoveAside(const std::string& suffix, std::string* newPath) = 0;
  // Held while a read-modify-write runs; serialises threads and processes alike.
  class CLock {
   public:
    virtual ~CLock() = default;
  };
  virtual std::unique_ptr<CLock> LockForUpdate() = 0;
};

// config.db at `path` on the real file system (Win32 in the Windows tree, POSIX natively).
std::unique_ptr<IConfigFile> MakeConfigFile(const std::string& path);

}  // namespace dorvik
