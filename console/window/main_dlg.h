#pragma once
// The console's main window: the page bar, the banner, the two task pages it composes, the
// service restart and the exit.
#include <memory>
#include <string>

#include "common/win32.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "config/ensure_document.h"
#include "console/core/list_sort.h"
#include "console/core/worker_threads.h"
#include "console/dialogs/dialog.h"
#include "console/dialogs/message_box_reactions.h"
#include "console/web/web_notices.h"
#include "console/window/file_task_page.h"
#include "console/window/sql_task_page.h"
#include "console/window/task_page.h"
#include "jobs/backup_log.h"

namespace dorvik {

class CMainDlg : public CDialog, private ITaskPageHost {
 public:
  CMainDlg(HINSTANCE instance, const std::string& programDir);
  // Checks config.db, then runs the window modally until it closes.
  void Run();

 private:
  void OnInitDialog() override;
  BOOL OnCommand(int id, int code) override;
  BOOL OnNotify(const NMHDR* header) override;
  void OnTimer(UINT_PTR id) override;
  void OnDestroy() override;
  bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;
  bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);
  void SetUpLooks();
  void OnExit();

  void ShowPage(ConsolePage page) override;
  void RestartServiceQuietly() override { StartBackgroundRestart(false); }
  void StartBackgroundRestart(bool bAnnounce);
  void ShowText(const std::string& text, UINT flags = 0);

  HINSTANCE m_hInstance;
  HICON m_hBigIcon = nullptr;
  HICON m_hSmallIcon = nullptr;
  HFONT m_hBannerFont = nullptr;
  HBRUSH m_hBannerBrush = nullptr;
  const std::string m_strProgramDir;
  std::unique_ptr<IConfigFile> m_pConfigFile;
  CMessageBoxReactions m_reactions;        // the interface thread's message boxes
  CMessageBoxReactions m_threadReactions;  // workers' boxes, owned by no window
  CConfigStore m_store;
  std::unique_ptr<IBackupLog> m_pLog;
  ConfigStartup m_startup;
  EnsureResult m_ensureResult = EnsureResult::NotLoaded;
  CListSortState m_sort;
  int m_nRestartsRunning = 0;
  CWebNotices m_webNotices;  // the update notice and the bottom line

  TaskPageContext m_pageContext;
  CFileTaskPage m_filePage;
  CSqlTaskPage m_sqlPage;
  // Last, so it goes first: the backup runs use the pages and the members above until they end.
  CWorkerThreads m_workers;
};

}  // namespace dorvik
