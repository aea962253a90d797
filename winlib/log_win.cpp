// CPVLogWin: set-up and tear-down of the line store, and AddLog.
#include "winlib/log_win.h"

#include "support/memory.h"
#include "support/text_facts.h"

namespace {

const int32_t kStoreSize = CPVLogWin::kRingLines * CPVLogWin::kSlotSize;  // 82944 bytes
const int kMinClientSize = 64;

bool IsDroppedControl(unsigned char byte) {
  return byte == 0x07 || byte == 0x08 || byte == 0x0B || byte == 0x0C || byte == 0x0D;
}

}  // namespace

CPVLogWin::CPVLogWin() { ResetMembers(); }

// The line store is already gone: PreDestroy released it.
CPVLogWin::~CPVLogWin() { ResetMembers(); }

void CPVLogWin::ResetMembers() {
  font = nullptr;
  charWidth = 0;
  lineHeight = 0;
  visibleCols = 0;
  visibleRows = 0;
  curCol = 0;
  curLine = 0;
  hScrollPos = 0;
  vScrollPos = 0;
  lines = nullptr;
  lineCount = 1;
  vScrollOn = 0;
  hScrollOn = 0;
  wheelRest = 0;
  vBarStale = 0;
  vBarDrawnAt = 0;
}

int CPVLogWin::OldestSlot() const {
  return ((curLine - lineCount + 1) % kRingLines + kRingLines) % kRingLines;
}

BOOL CPVLogWin::PreRegist(WindowParam* param) {
  param->style |= WS_HSCROLL | WS_VSCROLL;
  param->background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  minWidth = kMinClientSize;
  minHeight = kMinClientSize;
  return CPVDefWin::PreRegist(param);
}

BOOL CPVLogWin::PostCreate() {
  if (!CPVDefWin::PostCreate()) return FALSE;
  lines = static_cast<char*>(PVMemoryAlloc(kStoreSize, "PVLogWin", __LINE__));
  if (!lines) return FALSE;
  font = static_cast<HFONT>(GetStockObject(OEM_FIXED_FONT));
  HDC dc = GetDC(wnd);
  HGDIOBJ previous = SelectObject(dc, font);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  // A column is the advance of a half-width character as the font draws it;
  // tmMaxCharWidth says nothing reliable about it (Wine's OEM font: 12 and 5).
  SIZE advance = {0, 0};
  GetTextExtentPoint32A(dc, "0", 1, &advance);
  SelectObject(dc, previous);
  ReleaseDC(wnd, dc);
  charWidth = advance.cx;
  lineHeight = metrics.tmHeight;
  // Unlike any fitted size, so both bars are set up.
  visibleCols = -1;
  visibleRows = -1;
  FitColumnsAndRows();
  return TRUE;
}

void CPVLogWin::PreDestroy() {
  KillTimer(wnd, kBarTimer);
  PVMemoryFree(lines, "PVLogWin", __LINE__);
  lines = nullptr;
  CPVDefWin::PreDestroy();
}

void CPVLogWin::AddLog(const char* text, int repaint) {
  if (!lines || !text) return;
  int (*isLeadByte)(unsigned char) = PVHostTextFacts().isLeadByte;
  const unsigned char* next = reinterpret_cast<const unsigned char*>(text);
  int pendingSpaces = 0;
  bool lead = false;
  for (;;) {
    unsigned char byte;
    if (pendingSpaces > 0) {
      byte = ' ';
      --pendingSpaces;
    } else {
      byte = *next++;
    }
    lead = lead ? false : isLeadByte(byte) != 0;
    if (byte == 0) {
      // The line ends here for now; the next AddLog continues it.
      Slot(curLine)[curCol] = 0;
      break;
    }
    if (IsDroppedControl(byte)) continue;
    if (byte == '\t') {
      pendingSpaces = 4 - curCol % 4;
      continue;
    }
    if (byte == '\n') {
      StartNewLine();
      continue;
    }
    // A double-byte character is never split across two lines.
    if (curCol == kColumns || (lead && curCol == kColumns - 1)) StartNewLine();
    PutByte(byte);
  }
  if (repaint) InvalidateRect(wnd, nullptr, TRUE);
}

void CPVLogWin::PutByte(unsigned char byte) {
  Slot(curLine)[curCol] = static_cast<char>(byte);
  ++curCol;
}

// Once the ring is full the next slot is the oldest line's, overwritten from
// column 0. While the lines held are fewer than the rows, the view stays at
// the oldest line (position 0), so every line held can be seen.
void CPVLogWin::StartNewLine() {
  Slot(curLine)[curCol] = 0;
  curCol = 0;
  curLine = (curLine + 1) % kRingLines;
  if (lineCount < kRingLines) ++lineCount;
  if (lineCount < visibleRows) return;
  // Drawing a scroll bar costs the platform far more than a line of text
  // (under Wine some 5 ms), so the bar is drawn with the text, at most ten
  // times a second, rather than for every line.
  FollowEnd(FALSE);
  vBarStale = 1;
}
