// The helper layer of the suites under Wine: registry subkeys, library
// windows with their state readable, and a user's drags.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "winlib/log_win.h"

typedef std::vector<std::string> Lines;

// A new subkey of HKEY_CURRENT_USER of the test's own, deleted at the end.
class RegKey {
 public:
  RegKey();
  ~RegKey();
  const char* path() const { return path_.c_str(); }
  void Set(const char* name, DWORD type, const void* data, DWORD size) const;
  std::string Get(const char* name) const;  // empty when missing

 private:
  std::string path_;
};

// A hidden window of a class no other window of the process has used.
WindowParam PopupParam(RECT clientArea, DWORD style = WS_POPUP);

// A library window with its state readable, destroyed (quit message and all) with the object.
template <typename Base>
class Probe : public Base {
 public:
  using Base::Base;
  using Base::frameWidth, Base::frameHeight;
  ~Probe() override {
    if (IsWindow(this->wnd)) DestroyWindow(this->wnd);
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
};

template <typename Base>
class LogProbeOf : public Probe<Base> {
 public:
  using Probe<Base>::Probe;
  using Base::lines, Base::lineCount, Base::charWidth, Base::lineHeight;
  using Base::visibleCols, Base::visibleRows, Base::hScrollPos, Base::vScrollPos;
  // The ring as text: its lines from the oldest, joined by line feeds.
  std::string Text() const {
    std::string text;
    for (int i = 0; lines && i < lineCount; ++i) {
      const char* slot = this->Slot((this->OldestSlot() + i) % Base::kRingLines);
      text += std::string(i ? "\n" : "") + std::string(slot, strnlen(slot, Base::kColumns));
    }
    return text;
  }
};
typedef LogProbeOf<CPVLogWin> LogProbe;

// A user's drags, also of another process's window; without the sizing notice
// (no edge: no limit applies) the new size comes as a snap to a screen edge brings it.
void UserMove(HWND wnd, int x, int y);
void UserResizeClient(HWND wnd, int width, int height, bool sizingNotice = true);
RECT ScreenClientRect(HWND wnd);
std::string RectText(const RECT& r);
// Four 32-bit fields, as the persistent window stores a rectangle.
std::string RectBytes(const RECT& r);
