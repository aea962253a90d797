// The program's entry: one CMainWin, its message loop, its exit code.
#include <windows.h>

#include <new>

#include "app/main_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCmd) {
  CMainWin* win = new (std::nothrow) CMainWin(instance);
  if (!win) return -1;
  WindowParam param = MainWinParam(showCmd);
  // A failed set-up may leave a window that still points at the object, so
  // the object is not deleted on this path; the process ends right after.
  if (!win->Init(&param)) return -2;
  int code = win->Run();
  delete win;
  return code;
}
