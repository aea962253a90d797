// Test windows: the library's classes with their state readable and with
// counts of the hooks and handlers the tests watch.
#pragma once

#include <string>

#include "winlib/log_win.h"
#include "winlib/win_main.h"

// A record for a hidden popup window with the given client area.
WindowParam PopupParam(const char* className, RECT rect);
// A record like Init's defaults, with its own class name.
WindowParam DefaultParam(const char* className);

// Adds read access and hook counts to any class of the library.
template <typename Base>
class Probe : public Base {
 public:
  int routed = 0;             // messages that reached WindowProc
  int routedBeforePostCreate = -1;
  int preDestroys = 0;
  int queries = 0;
  BOOL allowClose = TRUE;
  WPARAM lastCommand = 0;
  int commands = 0;
  WPARAM lastKey = 0;
  int keyDowns = 0;

  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    ++routed;
    return Base::WindowProc(hwnd, message, wParam, lParam);
  }
  BOOL PostCreate() override {
    routedBeforePostCreate = routed;
    return Base::PostCreate();
  }
  BOOL QueryClose() override {
    ++queries;
    return allowClose && Base::QueryClose();
  }
  void PreDestroy() override {
    ++preDestroys;
    Base::PreDestroy();
  }
  LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) override {
    ++commands;
    lastCommand = wParam;
    return Base::OnCommand(hwnd, wParam, lParam);
  }
  LRESULT OnKeyDown(HWND hwnd, WPARAM wParam, LPARAM lParam) override {
    ++keyDowns;
    lastKey = wParam;
    return Base::OnKeyDown(hwnd, wParam, lParam);
  }

  const RECT& ClientRect() const { return this->clientRect; }
  int ClientWidth() const { return this->clientWidth; }
  int ClientHeight() const { return this->clientHeight; }
  int FrameWidth() const { return this->frameWidth; }
  int FrameHeight() const { return this->frameHeight; }
  int Maximized() const { return this->maximized; }
  std::string SubKey() const { return this->regSubKey; }
  void SetAccelTable(HACCEL table) { this->accel = table; }
  void ClearClassName() { this->className[0] = '\0'; }

  // What a user's drag of a frame edge does: a sizing notice, then the new
  // size, so that the geometry is taken afresh.
  void UserResizeClient(int width, int height) {
    RECT r;
    GetWindowRect(this->wnd, &r);
    SendMessageA(this->wnd, WM_SIZING, 0, reinterpret_cast<LPARAM>(&r));
    SetWindowPos(this->wnd, nullptr, 0, 0, width + this->frameWidth, height + this->frameHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // What a user's drag of the window does: a moving notice, then the move.
  void UserMove(int x, int y) {
    RECT r;
    GetWindowRect(this->wnd, &r);
    SendMessageA(this->wnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
    SetWindowPos(this->wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void Destroy() {
    if (this->wnd && IsWindow(this->wnd)) DestroyWindow(this->wnd);
  }
};

class LogProbe : public Probe<CPVLogWin> {
 public:
  int LineCount() const { return lineCount; }
  int CurCol() const { return curCol; }
  int VisibleCols() const { return visibleCols; }
  int VisibleRows() const { return visibleRows; }
  int HScrollPos() const { return hScrollPos; }
  int VScrollPos() const { return vScrollPos; }
  int VScrollOn() const { return vScrollOn; }
  int HScrollOn() const { return hScrollOn; }
  int CharWidth() const { return charWidth; }
  int LineHeight() const { return lineHeight; }
  bool HasStore() const { return lines != nullptr; }
  // The i-th line held, counted from the oldest.
  std::string Line(int i) const { return Slot((OldestSlot() + i) % kRingLines); }
};
