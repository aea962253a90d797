// CPVLogWin: the view over the log. The scroll bars, the keys and the wheel
// all move it through ScrollTo, which holds it within what does not fit; the
// columns and rows that fit follow every size change.
#include "winlib/log_win.h"

namespace {

const DWORD kBarRedrawMs = 100;

// A bar's request: lines by a quarter of the page, pages by half of it, and
// the top and bottom requests one step rather than to the ends.
int RequestedPosition(WPARAM wParam, int position, int page) {
  switch (LOWORD(wParam)) {
    case SB_LINEUP: return position - page / 4;
    case SB_LINEDOWN: return position + page / 4;
    case SB_PAGEUP: return position - page / 2;
    case SB_PAGEDOWN: return position + page / 2;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: return HIWORD(wParam);
    case SB_TOP: return position - 1;
    case SB_BOTTOM: return position + 1;
    default: return position;
  }
}

}  // namespace

int CPVLogWin::MaxPosition(int bar) const {
  int maximum = bar == SB_HORZ ? kColumns - visibleCols : lineCount - visibleRows;
  return maximum > 0 ? maximum : 0;
}

void CPVLogWin::ScrollTo(int bar, int position) {
  int* current = bar == SB_HORZ ? &hScrollPos : &vScrollPos;
  if (position > MaxPosition(bar)) position = MaxPosition(bar);
  if (position < 0) position = 0;
  if (position == *current) return;
  *current = position;
  SCROLLINFO info = {sizeof(info), SIF_POS, 0, 0, 0, position, 0};
  SetScrollInfo(wnd, bar, &info, TRUE);
  InvalidateRect(wnd, nullptr, TRUE);
}

LRESULT CPVLogWin::OnHScroll(HWND, WPARAM wParam, LPARAM) {
  ScrollTo(SB_HORZ, RequestedPosition(wParam, hScrollPos, visibleCols));
  return 0;
}

LRESULT CPVLogWin::OnVScroll(HWND, WPARAM wParam, LPARAM) {
  ScrollTo(SB_VERT, RequestedPosition(wParam, vScrollPos, visibleRows));
  return 0;
}

// Arrows move a line or a column, PgUp/PgDn a page, Home/End to the oldest
// and the newest line; other keys get the base window's handling.
LRESULT CPVLogWin::OnKeyDown(HWND hwnd, WPARAM key, LPARAM lParam) {
  switch (key) {
    case VK_UP: ScrollTo(SB_VERT, vScrollPos - 1); break;
    case VK_DOWN: ScrollTo(SB_VERT, vScrollPos + 1); break;
    case VK_PRIOR: ScrollTo(SB_VERT, vScrollPos - visibleRows); break;
    case VK_NEXT: ScrollTo(SB_VERT, vScrollPos + visibleRows); break;
    case VK_HOME: ScrollTo(SB_VERT, 0); break;
    case VK_END: ScrollTo(SB_VERT, MaxPosition(SB_VERT)); break;
    case VK_LEFT: ScrollTo(SB_HORZ, hScrollPos - 1); break;
    case VK_RIGHT: ScrollTo(SB_HORZ, hScrollPos + 1); break;
    default: return CPVDefWin::OnKeyDown(hwnd, key, lParam);
  }
  return 0;
}

// One notch (WHEEL_DELTA) scrolls the platform's wheel line count, or a page
// when that is set to pages or to more than a page; a finer wheel's smaller
// deltas add up to notches.
LRESULT CPVLogWin::OnMouseWheel(HWND, WPARAM wParam, LPARAM) {
  UINT linesPerNotch = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &linesPerNotch, 0);
  wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
  int notches = wheelRest / WHEEL_DELTA;
  wheelRest -= notches * WHEEL_DELTA;
  if (notches == 0) return 0;
  int step = linesPerNotch > static_cast<UINT>(visibleRows) ? visibleRows
                                                            : static_cast<int>(linesPerNotch);
  ScrollTo(SB_VERT, vScrollPos - notches * step);
  return 0;
}

// A bar with nothing to scroll is disabled, never hidden: a hidden bar would
// hand its width to the client area and shift the whole log sideways.
void CPVLogWin::SetBar(int bar, int maximum, int page, int position, BOOL redraw) {
  SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                     0, maximum, static_cast<UINT>(page), position, 0};
  SetScrollInfo(wnd, bar, &info, redraw);
  *(bar == SB_HORZ ? &hScrollOn : &vScrollOn) = maximum + 1 > page;
}

void CPVLogWin::RedrawStaleBar(bool force) {
  if (!vBarStale) return;
  DWORD now = GetTickCount();
  if (!force && now - vBarDrawnAt < kBarRedrawMs) {
    SetTimer(wnd, kBarTimer, kBarRedrawMs, RedrawStaleBarLater);
    return;
  }
  KillTimer(wnd, kBarTimer);
  vBarStale = 0;
  vBarDrawnAt = now;
  // The bar lies right of the client area, in the frame.
  RECT bar = {clientWidth, 0, clientWidth + GetSystemMetrics(SM_CXVSCROLL), clientHeight};
  RedrawWindow(wnd, &bar, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

void CALLBACK CPVLogWin::RedrawStaleBarLater(HWND hwnd, UINT, UINT_PTR, DWORD) {
  CPVWinMain* object = reinterpret_cast<CPVWinMain*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (object) static_cast<CPVLogWin*>(object)->RedrawStaleBar(true);
}

void CPVLogWin::FollowEnd(BOOL redraw) {
  vScrollPos = MaxPosition(SB_VERT);
  SetBar(SB_VERT, lineCount - 1, visibleRows, vScrollPos, redraw);
}

void CPVLogWin::FitColumnsAndRows() {
  // Before PostCreate has measured the font there is nothing to fit.
  if (charWidth <= 0 || lineHeight <= 0) return;
  int cols = clientWidth / charWidth;
  if (cols > kColumns) cols = kColumns;
  int rows = clientHeight / lineHeight;
  if (cols != visibleCols) {
    visibleCols = cols;
    if (hScrollPos > MaxPosition(SB_HORZ)) hScrollPos = MaxPosition(SB_HORZ);
    SetBar(SB_HORZ, kColumns - 1, cols, hScrollPos, TRUE);
  }
  // The view shows the end of the log after every change of the rows, and
  // starts at the oldest line while every line held fits.
  if (rows != visibleRows) {
    visibleRows = rows;
    FollowEnd(TRUE);
  }
}

LRESULT CPVLogWin::OnSize(HWND hwnd, WPARAM sizeType, LPARAM lParam) {
  CPVDefWin::OnSize(hwnd, sizeType, lParam);
  if (sizeType == SIZE_RESTORED || sizeType == SIZE_MAXIMIZED) FitColumnsAndRows();
  return 0;
}
