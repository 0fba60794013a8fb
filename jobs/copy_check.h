#pragma once
// Whether a copy finished: what the filter selected in the source against what arrived in the
// copy folder. A copy program's exit code alone does not tell (Wine's xcopy exits 0 after it
// stopped at a file another program holds open without sharing; the files after it are missing).
#include <cstddef>
#include <string>
#include <vector>

#include "common/file_system.h"

namespace dorvik {

struct CopySelection {
  bool bAllFiles = true;
  std::vector<std::string> masks;  // with bAllFiles false: the names that match one of these
};

struct CopyShortfall {
  std::size_t nMissing = 0;  // selected files missing from the copy or of another size
  std::string strFirst;      // the first of them, as a path in the source
};

// Every regular file below `source` that the selection takes must lie at the same place below
// `copy` with the same size. Hidden and system files and folders are not expected (xcopy
// without /h leaves them out), nor anything behind a link, nor names the code page cannot spell.
CopyShortfall FindCopyShortfall(IFileSystem& files, const std::string& source, const std::string& copy,
                                const CopySelection& selection);

}  // namespace dorvik
