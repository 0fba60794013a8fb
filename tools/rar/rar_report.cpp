#include "tools/rar/rar_report.h"

#include "tools/rar/path_style.h"

namespace dorvik {
namespace rar {

void CRarReport::Progress(const std::string& message) {
  if (!m_bQuiet) m_out << message << "\n";
}

void CRarReport::Error(const std::string& message) {
  m_err << "rar: " << message << "\n";
  if (!m_bLogErrors) return;
  std::string line = FormatLocalTime(m_clock.Now(), "%Y-%m-%d %H:%M:%S") + " ";
  if (!m_strArchive.empty()) line += m_strArchive + ": ";
  line += message + "\r\n";
  const std::string path = CPathStyle::Of(m_fs).Join(m_strLogFolder, LogFileName());
  if (!m_fs.AppendToFile(path, line)) m_err << "rar: cannot write the log " << path << "\n";
}

}  // namespace rar
}  // namespace dorvik
