// CPVLogWin: a scrolling log of 80 columns in the fixed-pitch OEM font.
//
// AddLog appends Shift-JIS text: line feeds start new lines, long lines wrap
// at column 80 without splitting a double-byte character, and the last 1024
// lines stay in a ring. The view jumps to the end of the log when a line is
// added while the lines fill the window; both scroll bars look back and
// sideways.
#pragma once

#include "support/message_log.h"
#include "winlib/def_win.h"

class CPVLogWin : public CPVDefWin, public MessageLog {
 public:
  static const int kColumns = 80;
  static const int kRingLines = 1024;
  static const int kSlotSize = kColumns + 1;

  CPVLogWin();
  ~CPVLogWin() override;

  // Ignored before PostCreate and after PreDestroy, and for a null text.
  void AddLog(const char* text, int repaint) override;

  LRESULT OnPaint(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnHScroll(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnVScroll(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
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

 private:
  void StartNewLine();
  void PutByte(unsigned char byte);
  void ResetMembers();
  // One rule for both bars; returns the new position, clamped to 0..maximum.
  int ScrollRequest(WPARAM wParam, int position, int page, int maximum) const;
  void MoveView(int bar, int* position, int newPosition);
  void SetBar(int bar, int maximum, int page, int position);
  void EnableBar(int bar, int* on, int enable);
};
