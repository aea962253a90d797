// CPVWinMain: the root of the library's window classes.
//
// One object stands for one window. The object registers a class and creates
// the window from a WindowParam, finds itself again for every message through
// the window's user-data slot, and hands each message it knows to a virtual
// handler, so a derived class takes a message over by overriding one
// operation. It also keeps the window's geometry current across the user's
// moves and every size change, and holds the client size within limits while a frame
// edge is dragged.
#pragma once

#include <windows.h>

#include <cstdint>

#include "winlib/window_param.h"

class CPVWinMain {
 public:
  static const int kTextSize = 64;

  CPVWinMain();
  virtual ~CPVWinMain();
  CPVWinMain(const CPVWinMain&) = delete;
  CPVWinMain& operator=(const CPVWinMain&) = delete;

  // Registers, creates, shows and updates from param (defaults when null).
  virtual BOOL Init(const WindowParam* param);
  // Sends the close message to the window and returns its result.
  virtual LRESULT RequestClose();
  // Returns whether the window was visible before.
  virtual BOOL Show(int showCmd);
  virtual BOOL Update();
  virtual void SetSizeLimit(int minW, int minH, int maxW, int maxH, int stepW, int stepH);
  virtual BOOL LoadAccel(const char* name);
  virtual void EnableAccel(int on);
  // The message loop; returns the quit code.
  virtual int Run();

  virtual LRESULT OnClose(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnDestroy(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnKeyDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnKeyUp(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMouseMove(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnLButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnLButtonUp(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnRButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnRButtonUp(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnSysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnNotify(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnDropFiles(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnPaint(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnActivate(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnHScroll(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnVScroll(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnEnterMenuLoop(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnExitMenuLoop(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnInitMenuPopup(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMoving(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMove(HWND hwnd, WPARAM wParam, LPARAM lParam);
  // lParam points to the dragged window rectangle, which may be changed.
  virtual LRESULT OnSizing(HWND hwnd, WPARAM edge, LPARAM lParam);
  virtual LRESULT OnSize(HWND hwnd, WPARAM sizeType, LPARAM lParam);
  virtual LRESULT OnEnterSizeMove(HWND hwnd, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnExitSizeMove(HWND hwnd, WPARAM wParam, LPARAM lParam);
  // Default handling passes the wheel on to the parent window.
  virtual LRESULT OnMouseWheel(HWND hwnd, WPARAM wParam, LPARAM lParam);

  // Routes one message to its handler; unknown messages get default handling.
  virtual LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // Hooks for derived classes, each calling its base's version itself.
  virtual BOOL PreRegist(WindowParam* param);
  virtual BOOL PostCreate();
  virtual BOOL QueryClose();
  virtual void PreDestroy();
  virtual BOOL Regist(const WindowParam* param);
  virtual BOOL Create(WindowParam* param);

  // Replaces the registry subkey; refused (with a message) at 64 characters.
  BOOL SetRegSubKey(const char* subKey);
  // Reads one value under the subkey; returns the bytes read. With zeroFill
  // the rest of the buffer is cleared.
  uint32_t ReadRegValue(const char* name, void* buffer, uint32_t size, int zeroFill);
  // Writes one binary value under the subkey.
  BOOL WriteRegValue(const char* name, const void* data, uint32_t size);

  HWND GetWnd() const { return wnd; }
  // Takes the window rectangle, client size and frame sizes from the window.
  void RefreshRect();

  // The last window object created without a parent.
  static CPVWinMain* GetMainWin();
  // The procedure registered for every class of the library.
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  HINSTANCE instance;
  HWND wnd;
  int hasMenu;
  HACCEL accel;
  int accelOn;
  char regSubKey[kTextSize];
  char className[kTextSize];
  char title[kTextSize];
  int moving;
  int sized;
  int maximized;
  RECT windowRect;
  RECT clientRect;  // screen coordinates; what the persistent window stores
  int clientWidth;
  int clientHeight;
  int frameWidth;
  int frameHeight;
  RECT frameOffset;  // adjusted window rectangle minus the wanted client area
  int minWidth;
  int minHeight;
  int maxWidth;
  int maxHeight;
  int stepWidth;
  int stepHeight;
  CPVWinMain* parent;

 private:
  static CPVWinMain* mainWin;
};
