#include "winlib/def_win.h"

namespace {

// Four 32-bit integers, left, top, right, bottom, in screen coordinates.
const char kClientRectValue[] = "ClientRect";
const uint32_t kClientRectSize = 16;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// The first coordinate that puts a span of `size` from `start` inside
// low..high, or at low when it is larger than that.
LONG Inside(LONG start, int size, LONG low, LONG high) {
  if (start + size > high) start = high - size;
  return start < low ? low : start;
}

}  // namespace

// A rectangle stored on a screen that is gone, or edited by hand, must still
// give a window the user can see and use: one smaller than the minimum client
// size grows to it, and one that does not lie mostly on the work area of the
// nearest monitor is moved onto it, frame and caption included.
void CPVDefWin::FitStoredRect(WindowParam* param) const {
  RECT& client = param->rect;
  if (minWidth >= 0 && Width(client) < minWidth) client.right = client.left + minWidth;
  if (minHeight >= 0 && Height(client) < minHeight) client.bottom = client.top + minHeight;
  RECT frame = client;
  if (param->style & WS_HSCROLL) frame.bottom += GetSystemMetrics(SM_CYHSCROLL);
  if (param->style & WS_VSCROLL) frame.right += GetSystemMetrics(SM_CXVSCROLL);
  AdjustWindowRectEx(&frame, param->style, param->menuName != nullptr, param->exStyle);
  MONITORINFO monitor;
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromRect(&frame, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  RECT shown;
  if (!IntersectRect(&shown, &frame, &work)) SetRectEmpty(&shown);
  // "Mostly": more than half of the window's area.
  if (2LL * Width(shown) * Height(shown) > 1LL * Width(frame) * Height(frame)) return;
  int dx = Inside(frame.left, Width(frame), work.left, work.right) - frame.left;
  int dy = Inside(frame.top, Height(frame), work.top, work.bottom) - frame.top;
  OffsetRect(&client, dx, dy);
}

// A stored rectangle replaces the record's; a shorter value replaces only its
// leading fields and a longer one is not taken (the read reports 0 bytes).
BOOL CPVDefWin::PreRegist(WindowParam* param) {
  if (!CPVWinMain::PreRegist(param)) return FALSE;
  if (ReadRegValue(kClientRectValue, &param->rect, kClientRectSize, 0)) FitStoredRect(param);
  return TRUE;
}

void CPVDefWin::PreDestroy() {
  WriteRegValue(kClientRectValue, &clientRect, kClientRectSize);
  CPVWinMain::PreDestroy();
}
