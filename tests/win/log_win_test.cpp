// CPVLogWin: the line ring, scrolling, columns and rows, and the text as drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/win/win_test_support.h"

namespace {

typedef std::vector<int> Ints;

SCROLLINFO Bar(HWND wnd, int bar) {
  SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(wnd, bar, &info);
  return info;
}

// 1 enabled, 0 disabled, -1 hidden (its style bit taken away).
int BarState(HWND wnd, LONG object) {
  if (!(GetWindowLongA(wnd, GWL_STYLE) & (object == OBJID_VSCROLL ? WS_VSCROLL : WS_HSCROLL)))
    return -1;
  SCROLLBARINFO info = {};
  info.cbSize = sizeof info;
  GetScrollBarInfo(wnd, object, &info);
  return (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) ? 0 : 1;
}

WPARAM WheelDown(int notches) { return MAKEWPARAM(0, static_cast<WORD>(-notches * WHEEL_DELTA)); }

// Start: a window under the test's subkey, sized by the user to cols by rows, of `lines` lines.
class LogWin : public testing::Test {
 protected:
  void Start(LogProbe& log, int cols, int rows, int lines = 1, int showCmd = SW_HIDE) {
    WindowParam p = PopupParam({0, 0, 200, 200});
    p.showCmd = showCmd;
    ASSERT_TRUE(log.SetRegSubKey(key_.path()));
    ASSERT_TRUE(log.Init(&p));
    Resize(log, cols, rows);
    for (int i = 1; i < lines; ++i) log.AddLog("line\n", 1);
  }
  void Resize(LogProbe& log, int cols, int rows) {
    UserResizeClient(log.GetWnd(), cols * log.charWidth, rows * log.lineHeight);
    ASSERT_EQ(Ints({log.visibleCols, log.visibleRows}), Ints({std::min(cols, 80), rows}));
  }
  RegKey key_;
};

TEST_F(LogWin, AddLogBreaksTextIntoLines) {
  const std::string x78(78, 'x'), x79(79, 'x'), x80(80, 'x');
  struct Case { const char* what; Lines texts; std::string held; };
  const Case cases[] = {
      {"continued without line feed", {"abc", "def\n"}, "abcdef\n"},
      {"tab at column 0", {"\ta"}, "    a"}, {"tab at column 3", {"abc\td"}, "abc d"},
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

// Bars, keys and wheel, each within what does not fit. (The bars' requests
// share one computation, so the rounding is checked on the vertical one.)
TEST_F(LogWin, ScrollRequests) {
  const UINT V = WM_VSCROLL, H = WM_HSCROLL, K = WM_KEYDOWN, W = WM_MOUSEWHEEL;
  UINT notch = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &notch, 0);
  const int wheel = static_cast<int>(notch);
  struct Case { int cols, rows; UINT message; WPARAM request; int from, to; };
  const Case cases[] = {
      {80, 8, V, SB_LINEDOWN, 10, 12},  {80, 8, V, SB_LINEUP, 10, 8},
      {80, 8, V, SB_PAGEDOWN, 10, 14},  {80, 8, V, SB_PAGEUP, 10, 6},
      {80, 8, V, SB_TOP, 10, 9},        {80, 8, V, SB_BOTTOM, 10, 11},
      {80, 8, V, SB_ENDSCROLL, 10, 10}, {80, 8, V, MAKEWPARAM(SB_THUMBTRACK, 25), 10, 25},
      {80, 8, V, SB_PAGEDOWN, 32, 33},  {80, 3, V, SB_LINEDOWN, 10, 10},
      {80, 3, V, SB_PAGEDOWN, 10, 11},  {80, 1, V, SB_PAGEDOWN, 10, 10},
      {20, 8, H, SB_LINERIGHT, 0, 5},   {20, 8, H, SB_PAGERIGHT, 0, 10},
      {20, 8, H, MAKEWPARAM(SB_THUMBTRACK, 70), 0, 60},
      {80, 8, K, VK_DOWN, 10, 11},      {80, 8, K, VK_UP, 0, 0},
      {80, 8, K, VK_NEXT, 10, 18},      {80, 8, K, VK_PRIOR, 10, 2},
      {80, 8, K, VK_HOME, 10, 0},       {80, 8, K, VK_END, 10, 33},
      {20, 8, K, VK_RIGHT, 59, 60},     {20, 8, K, VK_LEFT, 5, 4},
      {80, 8, W, WheelDown(1), 10, 10 + std::min(wheel, 8)},
      {80, 8, W, WheelDown(-2), 30, 30 - 2 * std::min(wheel, 8)},
      {80, 2, W, WheelDown(1), 10, 10 + std::min(wheel, 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cols << "x" << c.rows << " request " << c.request
                                    << " from " << c.from);
    LogProbe log;
    Start(log, c.cols, c.rows, 41);
    const bool sideways =
        c.message == H || (c.message == K && (c.request == VK_LEFT || c.request == VK_RIGHT));
    const int& position = sideways ? log.hScrollPos : log.vScrollPos;
    SendMessageA(log.GetWnd(), sideways ? H : V, MAKEWPARAM(SB_THUMBPOSITION, c.from), 0);
    ASSERT_EQ(position, c.from);
    SendMessageA(log.GetWnd(), c.message, c.request, 0);
    EXPECT_EQ(position, c.to);
    EXPECT_EQ(Bar(log.GetWnd(), sideways ? SB_HORZ : SB_VERT).nPos, c.to);
  }
}

// A new size recomputes columns, rows and bars (nothing to scroll, also lines
// filling the rows: disabled, never hidden); minimizing changes nothing.
TEST_F(LogWin, SizeRecomputesColumnsAndRows) {
  struct Step { int cols, rows, hFrom, vFrom, hOn, hPos, vOn, vPos; };
  const Step steps[] = {
      {40, 4, -1, -1, 1, 0, 1, 6}, {60, 4, 40, -1, 1, 20, 1, 6}, {100, 4, -1, -1, 0, 0, 1, 6},
      {80, 6, -1, 2, 0, 0, 1, 4},  {80, 10, -1, -1, 0, 0, 0, 0}, {80, 12, -1, -1, 0, 0, 0, 0},
  };
  LogProbe log;
  Start(log, 40, 4, 10);
  HWND wnd = log.GetWnd();
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << s.cols << "x" << s.rows);
    if (s.hFrom >= 0) SendMessageA(wnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, s.hFrom), 0);
    if (s.vFrom >= 0) SendMessageA(wnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, s.vFrom), 0);
    Resize(log, s.cols, s.rows);
    EXPECT_EQ(Ints({BarState(wnd, OBJID_HSCROLL), log.hScrollPos, BarState(wnd, OBJID_VSCROLL),
                    log.vScrollPos}), Ints({s.hOn, s.hPos, s.vOn, s.vPos}));
    const SCROLLINFO h = Bar(wnd, SB_HORZ), v = Bar(wnd, SB_VERT);
    if (s.hOn) { EXPECT_EQ(Ints({int(h.nPage), h.nPos}), Ints({s.cols, s.hPos})); }
    if (s.vOn) { EXPECT_EQ(Ints({int(v.nPage), v.nPos, v.nMax}), Ints({s.rows, s.vPos, 9})); }
  }
  ShowWindow(wnd, SW_MINIMIZE);
  EXPECT_EQ(Ints({log.visibleCols, log.visibleRows}), Ints({80, 12}));
}

// The pixels equal text drawn cell by cell at the OEM font's half-width advance
// (not half its widest character), also from column 3, cutting a double-byte one.
TEST_F(LogWin, PaintsEachCharacterInItsCells) {
  struct Cell { const char* text; int col, row; };
  struct Case { int hScroll; std::vector<Cell> cells; };
  const Case cases[] = {
      {0, {{"a", 0, 0}, {"b", 1, 0}, {"表", 2, 0}, {"c", 4, 0}, {"x", 0, 1}, {"y", 1, 1}}},
      {3, {{"c", 1, 0}}},
  };
  LogProbe log;
  Start(log, 20, 3, 1, SW_SHOWNOACTIVATE);
  log.AddLog("ab表c\nxy", 1);
  HDC window = GetDC(log.GetWnd()), expected = CreateCompatibleDC(window);
  SelectObject(expected, GetStockObject(OEM_FIXED_FONT));
  SIZE advance;
  TEXTMETRICA metrics;
  GetTextExtentPoint32A(expected, "0", 1, &advance);
  GetTextMetricsA(expected, &metrics);
  RECT area = {0, 0, 20 * advance.cx, 3 * metrics.tmHeight};
  HBITMAP bitmap = CreateCompatibleBitmap(window, area.right, area.bottom);
  SelectObject(expected, bitmap);
  SetBkMode(expected, TRANSPARENT);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hScroll);
    SendMessageA(log.GetWnd(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, c.hScroll), 0);
    RedrawWindow(log.GetWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    FillRect(expected, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (const Cell& cell : c.cells)
      TextOutA(expected, cell.col * advance.cx, cell.row * metrics.tmHeight, cell.text,
               static_cast<int>(std::strlen(cell.text)));
    int differing = 0;
    for (int y = 0; y < area.bottom; ++y)
      for (int x = 0; x < area.right; ++x) differing += GetPixel(window, x, y) != GetPixel(expected, x, y);
    EXPECT_EQ(differing, 0);
  }
  DeleteDC(expected);
  DeleteObject(bitmap);
  ReleaseDC(log.GetWnd(), window);
}

}  // namespace
