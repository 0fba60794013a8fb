// The main window's way into the backup history browser.
#include "common/gbk.h"
#include "config/document.h"
#include "console/history_dlg.h"
#include "console/main_dlg.h"

namespace dorvik {

void CMainDlg::OpenHistory(bool bSqlPage) {
  if ((bSqlPage ? m_sqlList : m_fileList).RowCount() == 0) return;
  HistoryContext context;
  context.mode = bSqlPage ? HistoryMode::Sql : HistoryMode::File;
  context.strProgramDir = m_strProgramDir;
  // The archiver as the document names it now: the settings may have changed it since start.
  std::string document;
  context.strRarDir = m_store.LoadConfigDocument(&document) ? DirectoryWithSlash(GetTag(document, "rarpath"))
                                                            : m_startup.strRarDir;
  context.pConnection = &m_sqlConnection;
  context.databaseNames = m_sqlDatabaseNames;
  CHistoryDlg(std::move(context)).Run(m_hWnd);
}

}  // namespace dorvik
