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
  SelectObject(dc, previous);
  ReleaseDC(wnd, dc);
  charWidth = metrics.tmMaxCharWidth / 2;
  lineHeight = metrics.tmHeight;
  EnableScrollBar(wnd, SB_VERT, ESB_DISABLE_BOTH);
  visibleCols = charWidth > 0 ? clientWidth / charWidth : kColumns;
  if (visibleCols > kColumns) visibleCols = kColumns;
  visibleRows = lineHeight > 0 ? clientHeight / lineHeight : 0;
  if (visibleCols == kColumns) {
    EnableScrollBar(wnd, SB_HORZ, ESB_DISABLE_BOTH);
    hScrollOn = 0;
  } else {
    SetBar(SB_HORZ, kColumns - 1, visibleCols, 0);
    hScrollOn = 1;
  }
  return TRUE;
}

void CPVLogWin::PreDestroy() {
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
  ++lineCount;
  if (lineCount < visibleRows) return;
  EnableBar(SB_VERT, &vScrollOn, 1);
  if (lineCount > kRingLines) {
    lineCount = kRingLines;
    SCROLLINFO info = {sizeof(info), SIF_POS, 0, 0, 0, kRingLines - visibleRows, 0};
    SetScrollInfo(wnd, SB_VERT, &info, TRUE);
  } else {
    SetBar(SB_VERT, lineCount - 1, visibleRows, lineCount - visibleRows);
  }
  vScrollPos = lineCount - visibleRows;
}
