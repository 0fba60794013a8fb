#pragma once
// The backup history browser: lists the backups whose output still exists, filters them, opens
// them in the explorer and, in SQL Server mode, restores a database from one of them.
#include <string>
#include <thread>
#include <vector>

#include "common/win32.h"
#include "console/core/list_sort.h"
#include "console/dialogs/dialog.h"
#include "console/dialogs/report_list_view.h"
#include "console/history/history_rows.h"
#include "console/history/sql_restore.h"
#include "jobs/sql_access.h"

namespace dorvik {

struct HistoryContext {
  HistoryMode mode = HistoryMode::File;
  std::string strProgramDir;   // with its trailing backslash
  std::string strRarDir;
  ISqlConnection* pConnection = nullptr;
  std::vector<std::string> databaseNames;  // the database filter's entries
};

class CHistoryDlg : public CDialog, private IRestoreView {
 public:
  explicit CHistoryDlg(HistoryContext context) : m_context(std::move(context)) {}
  ~CHistoryDlg();
  void Run(HWND owner);

  void OnInitDialog() override;
  BOOL OnCommand(int id, int code) override;
  BOOL OnNotify(const NMHDR* header) override;
  void OnDropFiles(HDROP) override {}

 private:
  bool IsSqlMode() const { return m_context.mode == HistoryMode::Sql; }
  void SetUpControls();
  void FillCombo(int id, const std::vector<std::string>& texts);
  std::string ComboChoice(int id) const;
  void OnFilter(int id);
  void ShowRows(std::vector<HistoryRow> rows, bool bCount);
  void OnContextMenu(int row);
  void OnMenuCommand(int id);
  void OpenTarget();
  void OpenSource();
  void OnRestore();
  void SetCaption(const std::string& caption) override;
  void ShowText(const std::string& text) override;

  HistoryContext m_context;
  CReportListView m_list;
  CListSortState m_sort;
  std::vector<HistoryRow> m_saved;  // the list as loaded; the filters rebuild from it
  // Writes the logs back while the list is shown: each file is flushed to disk, which for a
  // year of logs takes longer than reading them.
  std::thread m_rewriter;
};

}  // namespace dorvik
