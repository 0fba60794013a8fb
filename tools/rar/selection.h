#pragma once
// Which files an add command takes, and under which names.
//
// Names in the archive are relative paths in UTF-8 with '/' between the parts (ZIP's rule),
// converted from the file system's code page (GBK on Windows); folders are stored as entries
// of their own, ending in '/', so empty folders survive. By the form of each source argument:
//   a folder (C:\web\shop)          its whole tree, names relative to the folder's parent:
//                                   shop/, shop/index.html, shop/img/a.png ...
//   a file (D:\sql\db_x.bak)        the file alone, under its own name: db_x.bak
//   folder\mask (C:\web\shop\*.*)   the files in the folder matching the mask, names relative
//                                   to the folder (index.html); with -r also those in all its
//                                   subfolders (img/a.png). Only "*" and "*.*" take folders too.
//   *.* or another bare mask        the same in the current folder.
// A named folder is always taken with its tree, -r or not. Exclusion masks (-x) without a
// separator are compared with the name of every file and folder met (a matching folder is left
// out with all below it); a mask with a separator is compared with the path relative to the
// source folder and with the full path.
#include <functional>
#include <string>
#include <vector>

#include "common/file_system.h"

namespace dorvik {
namespace rar {

struct SelectedItem {
  std::string diskPath;   // as the file system takes it
  std::string entryName;  // UTF-8, '/' separators, folders end with '/'
  DirectoryEntry info;
};

struct Selection {
  std::vector<SelectedItem> items;
  std::vector<std::string> missing;     // sources that named nothing
  std::vector<std::string> unreadable;  // folders that could not be listed
};

// `skip` leaves out single files (the archive being written, for one).
Selection SelectFiles(IFileSystem& fs, const std::vector<std::string>& sources, bool bRecurse,
                      const std::vector<std::string>& excludes,
                      const std::function<bool(const std::string& diskPath)>& skip);

// A relative path in the file system's form as a ZIP entry name.
std::string ToEntryName(IFileSystem& fs, const std::string& relativePath);

bool HasWildcard(const std::string& text);

}  // namespace rar
}  // namespace dorvik
