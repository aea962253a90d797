// CPVLogWin: drawing the visible lines.
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

// Every byte advances one column, so a half-width character takes one and a
// double-byte character two, whatever advances the font would give them.
LRESULT CPVLogWin::OnPaint(HWND hwnd, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  HGDIOBJ previousFont = SelectObject(dc, font);
  int previousMode = SetBkMode(dc, TRANSPARENT);
  int advances[kColumns];
  for (int& advance : advances) advance = charWidth;
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
        ExtTextOutA(dc, x, y, 0, nullptr, line + start, length - start, advances);
      }
      if (slot == curLine || lineHeight <= 0) break;
      slot = (slot + 1) % kRingLines;
    }
  }
  SetBkMode(dc, previousMode);
  SelectObject(dc, previousFont);
  EndPaint(hwnd, &ps);
  RedrawStaleBar(false);
  return 0;
}
