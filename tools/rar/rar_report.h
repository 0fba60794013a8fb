#pragma once
// What the archiver tells its caller: progress on standard output (not with -ibck), errors on
// standard error and, with -ilog, also appended to "rar.log" in the program's folder, one line
// each: "YYYY-MM-DD HH:MM:SS <archive>: <message>" with CR LF, in the ANSI code page.
#include <ostream>
#include <string>

#include "common/clock.h"
#include "common/file_system.h"

namespace dorvik {
namespace rar {

class CRarReport {
 public:
  // rar.log is kept in `logFolder`, the program's own folder.
  CRarReport(IFileSystem& fs, IClock& clock, const std::string& logFolder, std::ostream& out,
             std::ostream& err)
      : m_fs(fs), m_clock(clock), m_strLogFolder(logFolder), m_out(out), m_err(err) {}
  void Configure(bool bQuiet, bool bLogErrors, const std::string& archive) {
    m_bQuiet = bQuiet;
    m_bLogErrors = bLogErrors;
    m_strArchive = archive;
  }
  void Progress(const std::string& message);
  void Error(const std::string& message);
  static const char* LogFileName() { return "rar.log"; }

 private:
  IFileSystem& m_fs;
  IClock& m_clock;
  std::string m_strLogFolder;
  std::ostream& m_out;
  std::ostream& m_err;
  bool m_bQuiet = false;
  bool m_bLogErrors = false;
  std::string m_strArchive;
};

}  // namespace rar
}  // namespace dorvik
