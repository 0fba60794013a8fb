// Test helper: deletes one entry of a storage folder the way the retention pass deletes an
// expired backup, on the real file system: owned_delete STORAGE-FOLDER ENTRY-NAME (GBK).
// Exits 0 when the entry is gone.
#include <cstdio>

#include "common/file_system.h"
#include "service/owned_folder.h"

int main(int argc, char** argv) {
  using namespace dorvik;
  if (argc != 3) {
    std::fprintf(stderr, "usage: owned_delete STORAGE-FOLDER ENTRY-NAME\n");
    return 100;
  }
  IFileSystem& fs = RealFileSystem();
  const std::string folder = argv[1], path = folder + "\\" + argv[2];
  DirectoryEntry entry;
  if (!fs.Stat(path, &entry)) {
    std::fprintf(stderr, "no such entry: %s\n", path.c_str());
    return 101;
  }
  return DeleteOwnedEntry(fs, path, entry, RealPathKey(fs, folder)) && !fs.Exists(path) ? 0 : 1;
}
