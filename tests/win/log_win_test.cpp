// CPVLogWin: the line ring fed by AddLog, scroll requests, columns and rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "tests/win/win_test_support.h"

namespace {

typedef std::vector<int> Ints;

SCROLLINFO Bar(HWND wnd, int bar) {
  SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(wnd, bar, &info);
  return info;
}

// Each window has a new subkey, so no stored rectangle, and is sized by the
// user to cols by rows of its font; Start fills it to `lines` lines.
class LogWin : public testing::Test {
 protected:
  void Start(LogProbe& log, int cols, int rows, int lines = 1) {
    WindowParam p = PopupParam({0, 0, 200, 200});
    keys_.emplace_back();
    ASSERT_TRUE(log.SetRegSubKey(keys_.back().path()));
    ASSERT_TRUE(log.Init(&p));
    Resize(log, cols, rows);
    for (int i = 1; i < lines; ++i) log.AddLog("line\n", 1);
  }
  void Resize(LogProbe& log, int cols, int rows) {
    UserResizeClient(log.GetWnd(), cols * log.charWidth, rows * log.lineHeight);
    ASSERT_EQ(Ints({log.visibleCols, log.visibleRows}), Ints({std::min(cols, 80), rows}));
  }
  std::deque<RegKey> keys_;
};

TEST_F(LogWin, AddLogBreaksTextIntoLines) {
  const std::string x78(78, 'x'), x79(79, 'x'), x80(80, 'x');
  struct Case { const char* what; Lines texts; std::string held; };
  const Case cases[] = {
      {"continued without line feed", {"abc", "def\n"}, "abcdef\n"},
      {"tab at column 0", {"\ta"}, "    a"},
      {"tab at column 3", {"abc\td"}, "abc d"},
      {"tab at column 78", {x78 + "\ty"}, x78 + "  \ny"},
      {"controls dropped", {"a\r\n\a\b\v\fb"}, "a\nb"},
      {"wrap at 80 bytes", {x80 + "yz"}, x80 + "\nyz"},
      {"double-byte from column 79 moves whole", {x79 + "表z"}, x79 + "\n表z"},
      {"double-byte at column 78 stays", {x78 + "表z"}, x78 + "表\nz"},
      {"trail byte in the lead range", {x78 + "亜a"}, x78 + "亜\na"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LogProbe log;
    Start(log, 80, 25);
    for (const std::string& text : c.texts) log.AddLog(text.c_str(), 1);
    EXPECT_EQ(log.Text(), c.held);
  }
}

// The oldest lines give way; the bar's range stays 0..1023, the view at the end.
TEST_F(LogWin, RingKeepsTheLast1024Lines) {
  LogProbe log;
  Start(log, 80, 20);
  std::string last;
  for (int i = 0; i < 1100; ++i) {
    std::string line = "line " + std::to_string(i) + "\n";
    log.AddLog(line.c_str(), 1);
    if (i >= 77) last += line;
  }
  EXPECT_EQ(log.Text(), last);
  const SCROLLINFO v = Bar(log.GetWnd(), SB_VERT);
  EXPECT_EQ(Ints({v.nMin, v.nMax, v.nPos, log.vScrollPos}), Ints({0, 1023, 1004, 1004}));
}

// Lines move by a quarter and pages by half of the rows (or columns), top and
// bottom by one, within what does not fit.
TEST_F(LogWin, ScrollRequests) {
  const UINT V = WM_VSCROLL, H = WM_HSCROLL;
  struct Case { int cols, rows; UINT message; WPARAM request; int from, to; };
  const Case cases[] = {
      {80, 8, V, SB_LINEDOWN, 10, 12},  {80, 8, V, SB_LINEUP, 10, 8},
      {80, 8, V, SB_PAGEDOWN, 10, 14},  {80, 8, V, SB_PAGEUP, 10, 6},
      {80, 8, V, SB_TOP, 10, 9},        {80, 8, V, SB_BOTTOM, 10, 11},
      {80, 8, V, SB_ENDSCROLL, 10, 10}, {80, 8, V, MAKEWPARAM(SB_THUMBTRACK, 25), 10, 25},
      {80, 8, V, SB_LINEUP, 1, 0},      {80, 8, V, SB_PAGEDOWN, 32, 33},
      {80, 3, V, SB_LINEDOWN, 10, 10},  {80, 3, V, SB_PAGEDOWN, 10, 11},
      {80, 1, V, SB_PAGEDOWN, 10, 10},  {20, 8, H, SB_LINERIGHT, 0, 5},
      {20, 8, H, SB_PAGERIGHT, 0, 10},  {20, 8, H, MAKEWPARAM(SB_THUMBTRACK, 70), 0, 60},
      {3, 8, H, SB_LINERIGHT, 5, 5},    {3, 8, H, SB_PAGERIGHT, 5, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cols << "x" << c.rows << " request " << c.request
                                    << " from " << c.from);
    LogProbe log;
    Start(log, c.cols, c.rows, 41);
    const int& position = c.message == V ? log.vScrollPos : log.hScrollPos;
    SendMessageA(log.GetWnd(), c.message, MAKEWPARAM(SB_THUMBPOSITION, c.from), 0);
    ASSERT_EQ(position, c.from);
    SendMessageA(log.GetWnd(), c.message, c.request, 0);
    EXPECT_EQ(position, c.to);
    EXPECT_EQ(Bar(log.GetWnd(), c.message == V ? SB_VERT : SB_HORZ).nPos, c.to);
  }
}

// A new size recomputes columns, rows and bars (an off bar keeps what it
// showed); minimizing changes nothing.
TEST_F(LogWin, SizeRecomputesColumnsAndRows) {
  // The new size, the positions before it (-1: as they are), the bars after.
  struct Step { int cols, rows, hFrom, vFrom, hOn, hPos, vOn, vPos; };
  const Step steps[] = {
      {40, 4, -1, -1, 1, 0, 1, 6}, {60, 4, 40, -1, 1, 20, 1, 6}, {100, 4, -1, -1, 0, 0, 1, 6},
      {80, 6, -1, 2, 0, 0, 1, 4},  {80, 12, -1, -1, 0, 0, 0, 0},
  };
  LogProbe log;
  Start(log, 40, 4, 10);
  HWND wnd = log.GetWnd();
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << s.cols << "x" << s.rows);
    if (s.hFrom >= 0) SendMessageA(wnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, s.hFrom), 0);
    if (s.vFrom >= 0) SendMessageA(wnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, s.vFrom), 0);
    Resize(log, s.cols, s.rows);
    EXPECT_EQ(Ints({log.hScrollOn, log.hScrollPos, log.vScrollOn, log.vScrollPos}),
              Ints({s.hOn, s.hPos, s.vOn, s.vPos}));
    const SCROLLINFO h = Bar(wnd, SB_HORZ), v = Bar(wnd, SB_VERT);
    EXPECT_EQ(s.hOn ? Ints({int(h.nPage), h.nPos}) : Ints(),
              s.hOn ? Ints({s.cols, s.hPos}) : Ints());
    EXPECT_EQ(s.vOn ? Ints({int(v.nPage), v.nPos, v.nMax}) : Ints(),
              s.vOn ? Ints({s.rows, s.vPos, 9}) : Ints());
  }
  ShowWindow(wnd, SW_MINIMIZE);
  EXPECT_EQ(Ints({log.visibleCols, log.visibleRows}), Ints({80, 12}));
}

}  // namespace
