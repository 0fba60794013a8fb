#include "jobs/copy_check.h"

#include "common/wildcard.h"

namespace dorvik {

namespace {

bool Selected(const CopySelection& selection, const std::string& name) {
  if (selection.bAllFiles) return true;
  for (const std::string& mask : selection.masks) {
    if (MatchesMask(name, mask)) return true;
  }
  return false;
}

void CompareFolder(IFileSystem& files, const std::string& source, const std::string& copy,
                   const CopySelection& selection, CopyShortfall* shortfall) {
  for (const DirectoryEntry& entry : files.ListDirectory(source)) {
    if (entry.isLink || entry.isHiddenOrSystem) continue;
    // "?" is never part of a Windows name: the ANSI listing shows so a name the code page cannot
    // spell, which xcopy copies but this check cannot look up.
    if (entry.name.find('?') != std::string::npos) continue;
    const std::string from = source + "\\" + entry.name;
    const std::string to = copy + "\\" + entry.name;
    if (entry.isDirectory) {
      CompareFolder(files, from, to, selection, shortfall);
      continue;
    }
    if (!Selected(selection, entry.name)) continue;
    DirectoryEntry arrived;
    if (files.Stat(to, &arrived) && !arrived.isDirectory && arrived.size == entry.size) continue;
    if (shortfall->nMissing++ == 0) shortfall->strFirst = from;
  }
}

}  // namespace

CopyShortfall FindCopyShortfall(IFileSystem& files, const std::string& source, const std::string& copy,
                                const CopySelection& selection) {
  CopyShortfall shortfall;
  CompareFolder(files, source, copy, selection, &shortfall);
  return shortfall;
}

}  // namespace dorvik
