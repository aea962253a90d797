// CPVLogWin: drawing the visible lines, the scroll bars, and the columns and
// rows that fit the client area.
#include "winlib/log_win.h"

#include <cstring>

#include "support/text_facts.h"

namespace {

// Whether column is the second byte of a double-byte character, walking the
// line from its start with the lead-byte rule of AddLog.
bool IsTrailByteAt(const char* line, int column) {
  int (*isLeadByte)(unsigned char) = PVHostTextFacts().isLeadByte;
  bool lead = false;
  for (int i = 0; i <= column; ++i) {
    bool trail = lead;
    lead = lead ? false : isLeadByte(static_cast<unsigned char>(line[i])) != 0;
    if (i == column) return trail;
  }
  return false;
}

}  // namespace

LRESULT CPVLogWin::OnPaint(HWND hwnd, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  HGDIOBJ previousFont = SelectObject(dc, font);
  int previousMode = SetBkMode(dc, TRANSPARENT);
  if (lines) {
    int slot = (OldestSlot() + vScrollPos) % kRingLines;
    for (int y = 0; y <= clientHeight; y += lineHeight) {
      const char* line = Slot(slot);
      int length = static_cast<int>(std::strlen(line));
      if (length > hScrollPos) {
        int start = hScrollPos;
        int x = 0;
        // A character cut by the horizontal position is left blank.
        if (IsTrailByteAt(line, start)) {
          ++start;
          x = charWidth;
        }
        TextOutA(dc, x, y, line + start, length - start);
      }
      if (slot == curLine || lineHeight <= 0) break;
      slot = (slot + 1) % kRingLines;
    }
  }
  SetBkMode(dc, previousMode);
  SelectObject(dc, previousFont);
  EndPaint(hwnd, &ps);
  return 0;
}

int CPVLogWin::ScrollRequest(WPARAM wParam, int position, int page, int maximum) const {
  int next = position;
  switch (LOWORD(wParam)) {
    case SB_LINEUP: next = position - page / 4; break;
    case SB_LINEDOWN: next = position + page / 4; break;
    case SB_PAGEUP: next = position - page / 2; break;
    case SB_PAGEDOWN: next = position + page / 2; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: next = HIWORD(wParam); break;
    // The top and bottom requests step by one rather than jump to the ends.
    case SB_TOP: next = position - 1; break;
    case SB_BOTTOM: next = position + 1; break;
    default: break;
  }
  // The maximum is negative while fewer lines than rows are held; the view
  // then stays at the oldest line.
  if (next > maximum) next = maximum;
  if (next < 0) next = 0;
  return next;
}

void CPVLogWin::MoveView(int bar, int* position, int newPosition) {
  if (newPosition == *position) return;
  *position = newPosition;
  SCROLLINFO info = {sizeof(info), SIF_POS, 0, 0, 0, newPosition, 0};
  SetScrollInfo(wnd, bar, &info, TRUE);
  InvalidateRect(wnd, nullptr, TRUE);
}

LRESULT CPVLogWin::OnHScroll(HWND, WPARAM wParam, LPARAM) {
  MoveView(SB_HORZ, &hScrollPos,
           ScrollRequest(wParam, hScrollPos, visibleCols, kColumns - visibleCols));
  return 0;
}

LRESULT CPVLogWin::OnVScroll(HWND, WPARAM wParam, LPARAM) {
  MoveView(SB_VERT, &vScrollPos,
           ScrollRequest(wParam, vScrollPos, visibleRows, lineCount - visibleRows));
  return 0;
}

void CPVLogWin::SetBar(int bar, int maximum, int page, int position) {
  SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, maximum,
                     static_cast<UINT>(page), position, 0};
  SetScrollInfo(wnd, bar, &info, TRUE);
}

// Changes the bar's state only when it differs from what *on records.
void CPVLogWin::EnableBar(int bar, int* on, int enable) {
  if (*on == enable) return;
  EnableScrollBar(wnd, bar, enable ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
  *on = enable;
}

LRESULT CPVLogWin::OnSize(HWND hwnd, WPARAM sizeType, LPARAM lParam) {
  CPVDefWin::OnSize(hwnd, sizeType, lParam);
  if (sizeType != SIZE_RESTORED && sizeType != SIZE_MAXIMIZED) return 0;
  // Before PostCreate has measured the font there is nothing to fit.
  if (charWidth <= 0 || lineHeight <= 0) return 0;
  int cols = clientWidth / charWidth;
  if (cols > kColumns) cols = kColumns;
  int rows = clientHeight / lineHeight;
  if (cols != visibleCols) {
    visibleCols = cols;
    if (hScrollPos + cols > kColumns) hScrollPos = kColumns - cols;
    if (cols < kColumns) {
      EnableBar(SB_HORZ, &hScrollOn, 1);
      SetBar(SB_HORZ, kColumns - 1, cols, hScrollPos);
    } else {
      EnableBar(SB_HORZ, &hScrollOn, 0);
    }
  }
  if (rows != visibleRows) {
    visibleRows = rows;
    if (lineCount >= rows) {
      EnableBar(SB_VERT, &vScrollOn, 1);
      SetBar(SB_VERT, lineCount - 1, rows, lineCount - rows);
      vScrollPos = lineCount - rows;
    } else {
      // Every line held fits: show them all from the oldest.
      EnableBar(SB_VERT, &vScrollOn, 0);
      vScrollPos = 0;
    }
  }
  return 0;
}
