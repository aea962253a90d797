// CPVWinMain: the window procedure, the table that routes messages to the
// handler operations, and the handlers' default behaviour.
#include "winlib/win_main.h"

namespace {

typedef LRESULT (CPVWinMain::*Handler)(HWND, WPARAM, LPARAM);

struct Route {
  UINT message;
  Handler handler;
};

// Messages not listed here go to the platform's default procedure unchanged.
const Route kRoutes[] = {
    {WM_DESTROY, &CPVWinMain::OnDestroy},
    {WM_MOVE, &CPVWinMain::OnMove},
    {WM_SIZE, &CPVWinMain::OnSize},
    {WM_ACTIVATE, &CPVWinMain::OnActivate},
    {WM_PAINT, &CPVWinMain::OnPaint},
    {WM_CLOSE, &CPVWinMain::OnClose},
    {WM_NOTIFY, &CPVWinMain::OnNotify},
    {WM_KEYDOWN, &CPVWinMain::OnKeyDown},
    {WM_KEYUP, &CPVWinMain::OnKeyUp},
    {WM_COMMAND, &CPVWinMain::OnCommand},
    {WM_SYSCOMMAND, &CPVWinMain::OnSysCommand},
    {WM_HSCROLL, &CPVWinMain::OnHScroll},
    {WM_VSCROLL, &CPVWinMain::OnVScroll},
    {WM_INITMENUPOPUP, &CPVWinMain::OnInitMenuPopup},
    {WM_MOUSEMOVE, &CPVWinMain::OnMouseMove},
    {WM_LBUTTONDOWN, &CPVWinMain::OnLButtonDown},
    {WM_LBUTTONUP, &CPVWinMain::OnLButtonUp},
    {WM_RBUTTONDOWN, &CPVWinMain::OnRButtonDown},
    {WM_RBUTTONUP, &CPVWinMain::OnRButtonUp},
    {WM_ENTERMENULOOP, &CPVWinMain::OnEnterMenuLoop},
    {WM_EXITMENULOOP, &CPVWinMain::OnExitMenuLoop},
    {WM_SIZING, &CPVWinMain::OnSizing},
    {WM_MOVING, &CPVWinMain::OnMoving},
    {WM_ENTERSIZEMOVE, &CPVWinMain::OnEnterSizeMove},
    {WM_EXITSIZEMOVE, &CPVWinMain::OnExitSizeMove},
    {WM_DROPFILES, &CPVWinMain::OnDropFiles},
    {WM_MOUSEWHEEL, &CPVWinMain::OnMouseWheel},
};

}  // namespace

// The object is found through the user-data slot, which Create fills right
// after the window exists; until then every message gets default handling.
LRESULT CALLBACK CPVWinMain::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CPVWinMain* object = reinterpret_cast<CPVWinMain*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!object) return DefWindowProcA(hwnd, message, wParam, lParam);
  return object->WindowProc(hwnd, message, wParam, lParam);
}

LRESULT CPVWinMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  for (const Route& route : kRoutes) {
    if (route.message == message) return (this->*route.handler)(hwnd, wParam, lParam);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CPVWinMain::OnClose(HWND hwnd, WPARAM, LPARAM) {
  if (QueryClose()) DestroyWindow(hwnd);
  return 0;
}

// A top-level window ends the message loop; a child window does not.
LRESULT CPVWinMain::OnDestroy(HWND, WPARAM, LPARAM) {
  PreDestroy();
  if (!parent) PostQuitMessage(0);
  return 0;
}

LRESULT CPVWinMain::OnKeyDown(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnKeyUp(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnMouseMove(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnLButtonDown(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnLButtonUp(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnRButtonDown(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnRButtonUp(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnCommand(HWND, WPARAM, LPARAM) { return 0; }

// The close box and the system menu's Close come back as WM_CLOSE from here.
LRESULT CPVWinMain::OnSysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT CPVWinMain::OnNotify(HWND, WPARAM, LPARAM) { return 0; }
// The dropped-files handle belongs to whoever overrides this.
LRESULT CPVWinMain::OnDropFiles(HWND, WPARAM, LPARAM) { return 0; }

// Painting nothing still validates the window, so WM_PAINT stops coming.
LRESULT CPVWinMain::OnPaint(HWND hwnd, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT CPVWinMain::OnActivate(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnHScroll(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnVScroll(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnEnterMenuLoop(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnExitMenuLoop(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnInitMenuPopup(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnEnterSizeMove(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPVWinMain::OnExitSizeMove(HWND, WPARAM, LPARAM) { return 0; }

LRESULT CPVWinMain::OnMouseWheel(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, WM_MOUSEWHEEL, wParam, lParam);
}
