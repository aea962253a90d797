// CMainWin: the converter's window. A log window with a menu, two
// accelerators, an About box, dropped files and a file named at start; every
// conversion request ends in ConvertFile.
#pragma once

#include <windows.h>

#include <string>

#include "app/ansi_path.h"
#include "converter/conversion_state.h"
#include "winlib/log_win.h"

class CMainWin : public CPVLogWin {
 public:
  static const int kPathSize = 260;

  // The settings live under settingsKey, a subkey of HKEY_CURRENT_USER
  // ("Software\\Holven\\TRELVIO" when it is null or empty).
  explicit CMainWin(HINSTANCE instance, const char* settingsKey = nullptr);
  ~CMainWin() override;

  // Converts sourcePath ('/' taken as a backslash), or the file chosen in the
  // open-file dialog when it is null. Returns nonzero when the conversion
  // succeeded.
  int ConvertFile(const char* sourcePath);

  LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnDropFiles(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
  BOOL PreRegist(WindowParam* param) override;
  BOOL PostCreate() override;
  BOOL QueryClose() override;
  void PreDestroy() override;

 protected:
  char lastFile[kPathSize];
  // Options > Keep notes: every conversion keeps as many notes as the parts
  // hold. Kept as "KeepNotes" (4 bytes, 0 or 1).
  uint32_t keepNotes = 0;
  ConversionState conversion;
  const char* settingsKey;

 private:
  // Converts a path that reached the window, or logs why it cannot be.
  int ConvertPath(std::string path, AnsiPathResult taken);
  // Shows keepNotes as the menu item's check mark.
  void ShowKeepNotes();
};

// The creation record the entry gives Init. PreRegist replaces the names,
// icons, menu and rectangle before anything is registered; the class style
// stays, so every size change redraws the whole window.
WindowParam MainWinParam(int showCmd);

// The About box: centred over its owner, closed with OK, Enter or Esc.
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
