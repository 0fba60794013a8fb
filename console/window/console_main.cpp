// DorvikUI.exe: "/stopsvc" stops the service without a window; anything else runs the main
// window, and the program ends when it closes.
#include "common/win32.h"

#include <commctrl.h>

#include "common/program_dir.h"
#include "console/core/service_control.h"
#include "console/core/start_switch.h"
#include "console/window/main_dlg.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int) {
  using namespace dorvik;
  if (IsStopServiceSwitch(commandTail ? commandTail : "")) {
    ControlServiceByName(RealServiceManager(), kStopSwitchServiceName, false, "", false);
    Sleep(1000);
    ExitProcess(0);
  }
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  CMainDlg dialog(instance, ProgramDirectory());
  dialog.Run();
  // Backup threads may still be running and use the window's objects: end the process here,
  // while those objects still exist, rather than unwinding them under the threads' feet.
  ExitProcess(0);
}
