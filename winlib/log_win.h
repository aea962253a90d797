// CPVLogWin: a scrolling log of 80 columns in the fixed-pitch OEM font.
//
// AddLog appends Shift-JIS text: line feeds start new lines, long lines wrap
// at column 80 without splitting a double-byte character, and the last 1024
// lines stay in a ring. The view jumps to the end of the log when a line is
// added while the lines fill the window; the scroll bars, the wheel and the
// keys (arrows, PgUp/PgDn, Home/End) look back and sideways.
#pragma once

#include "support/message_log.h"
#include "winlib/def_win.h"

class CPVLogWin : public CPVDefWin, public MessageLog {
 public:
  static const int kColumns = 80;
  static const int kRingLines = 1024;
  static const int kSlotSize = kColumns + 1;
  // The timer that draws a vertical bar left undrawn.
  static const UINT_PTR kBarTimer = 1;

  CPVLogWin();
  ~CPVLogWin() override;

  // Ignored before PostCreate and after PreDestroy, and for a null text.
  void AddLog(const char* text, int repaint) override;

  LRESULT OnPaint(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnHScroll(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnVScroll(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnKeyDown(HWND hwnd, WPARAM key, LPARAM lParam) override;
  LRESULT OnMouseWheel(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnSize(HWND hwnd, WPARAM sizeType, LPARAM lParam) override;
  BOOL PreRegist(WindowParam* param) override;
  BOOL PostCreate() override;
  void PreDestroy() override;

 protected:
  char* Slot(int index) const { return lines + index * kSlotSize; }
  // The ring index of the oldest line held.
  int OldestSlot() const;

  HFONT font;
  int charWidth;
  int lineHeight;
  int visibleCols;
  int visibleRows;
  int curCol;
  int curLine;
  int hScrollPos;
  int vScrollPos;
  char* lines;
  int lineCount;
  int vScrollOn;
  int hScrollOn;
  int wheelRest;  // wheel delta short of a notch, kept for the next message
  int vBarStale;  // the vertical bar was set but not drawn since
  DWORD vBarDrawnAt;

 private:
  void StartNewLine();
  void PutByte(unsigned char byte);
  void ResetMembers();
  // The columns and rows that fit the client area, with the bars over them.
  void FitColumnsAndRows();
  // The highest first column (SB_HORZ) or first line (SB_VERT) of the view.
  int MaxPosition(int bar) const;
  // Moves the view of one bar, held within 0..MaxPosition; every way of
  // scrolling ends here.
  void ScrollTo(int bar, int position);
  void SetBar(int bar, int maximum, int page, int position, BOOL redraw);
  // The vertical bar over every line held, the view at the end of the log.
  void FollowEnd(BOOL redraw);
  // Draws the vertical bar that AddLog set without drawing, at most ten
  // times a second (a timer catches up); force draws it now.
  void RedrawStaleBar(bool force);
  static void CALLBACK RedrawStaleBarLater(HWND hwnd, UINT message, UINT_PTR timer, DWORD time);
};
