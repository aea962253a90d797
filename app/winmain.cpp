// The program's entry: one CMainWin, its message loop, its exit code.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "app/main_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCmd) {
  // TRELVIO_SETTINGS_KEY names another subkey for the settings, so a second
  // set of them (the tests' own) leaves the user's alone.
  CMainWin* win = new (std::nothrow) CMainWin(instance, std::getenv("TRELVIO_SETTINGS_KEY"));
  if (!win) return -1;
  WindowParam param = MainWinParam(showCmd);
  // A failed set-up may leave a window that still points at the object, so
  // the object is not deleted on this path; the process ends right after.
  if (!win->Init(&param)) return -2;
  int code = win->Run();
  delete win;
  return code;
}
