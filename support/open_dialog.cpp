#include "support/open_dialog.h"

#include <commdlg.h>

#include <cstring>

#include "winlib/win_main.h"

int PVOpenFileDialog(char* file, const char* title, DWORD filterIndex, const char* filters,
                     const char* defaultExtension, DWORD flags, HWND owner) {
  OPENFILENAMEA ofn;
  std::memset(&ofn, 0, sizeof ofn);
  // The record without the later extension fields.
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  if (!owner && CPVWinMain::GetMainWin()) owner = CPVWinMain::GetMainWin()->GetWnd();
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filters;
  ofn.nFilterIndex = filterIndex;
  ofn.lpstrFile = file;
  ofn.nMaxFile = 260;
  ofn.lpstrTitle = title;
  ofn.Flags = flags;
  ofn.lpstrDefExt = defaultExtension;
  return GetOpenFileNameA(&ofn) ? 1 : 0;
}
