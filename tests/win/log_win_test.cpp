// CPVLogWin: the line ring fed by AddLog, the view and its scroll bars, and
// the columns and rows that fit the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/probe_window.h"
#include "tests/win/win_test_support.h"

namespace {

typedef std::vector<std::string> Lines;

const char kCannotAllocate[] = "[PVMemoryAlloc]メモリを確保出来ません。\n";

Lines HeldLines(const LogProbe& log) {
  Lines lines;
  for (int i = 0; i < log.LineCount(); ++i) lines.push_back(log.Line(i));
  return lines;
}

SCROLLINFO BarInfo(HWND wnd, int bar) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(wnd, bar, &info);
  return info;
}

class LogWinTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Pump();
    TakeQuit();
  }
  // A hidden log window under the scratch subkey, sized by the user to the
  // given columns and rows of its font. No rectangle of an earlier window is
  // restored.
  void Start(LogProbe* log, int cols = 80, int rows = 25) {
    sub_.Remove("ClientRect");
    names_.push_back(UniqueClassName());
    WindowParam p = PopupParam(names_.back().c_str(), {0, 0, 200, 200});
    ASSERT_TRUE(log->SetRegSubKey(sub_.path()));
    ASSERT_TRUE(log->Init(&p));
    ASSERT_GT(log->CharWidth(), 0);
    ASSERT_GT(log->LineHeight(), 0);
    Resize(log, cols, rows);
  }
  void Resize(LogProbe* log, int cols, int rows) {
    log->UserResizeClient(cols * log->CharWidth(), rows * log->LineHeight());
    ASSERT_EQ(log->VisibleCols(), cols > 80 ? 80 : cols);
    ASSERT_EQ(log->VisibleRows(), rows);
  }
  void Scroll(LogProbe* log, UINT message, WORD request, WORD thumb = 0) {
    SendMessageA(log->GetWnd(), message, MAKEWPARAM(request, thumb), 0);
  }
  ScratchSubKey sub_;
  std::vector<std::string> names_;
};

struct TextCase {
  const char* what;
  std::vector<std::string> texts;
  Lines expected;
};

TEST_F(LogWinTest, AddLogBreaksTextIntoLines) {
  const std::string x78(78, 'x'), x79(79, 'x'), x80(80, 'x');
  const TextCase cases[] = {
      {"continued without line feed", {"abc", "def\n"}, {"abcdef", ""}},
      {"tab at column 0", {"\ta"}, {"    a"}},
      {"tab at column 3", {"abc\td"}, {"abc d"}},
      {"tab at column 78", {x78 + "\ty"}, {x78 + "  ", "y"}},
      {"tab at column 80", {x80 + "\ty"}, {x80, "    y"}},
      {"carriage return dropped", {"a\r\nb"}, {"a", "b"}},
      {"other controls dropped", {"a\a\b\v\fb"}, {"ab"}},
      {"wrap at 80 bytes", {x80 + "x"}, {x80, "x"}},
      {"double-byte from column 79 moves whole", {x79 + "表z"}, {x79, "表z"}},
      {"double-byte at column 78 stays", {x78 + "表z"}, {x78 + "表", "z"}},
      {"trail byte in the lead range", {x78 + "亜a"}, {x78 + "亜", "a"}},
      {"empty text", {"abc", ""}, {"abc"}},
      {"null text", {"abc"}, {"abc"}},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.what);
    LogProbe log;
    Start(&log);
    for (const std::string& text : c.texts) log.AddLog(text.c_str(), 1);
    log.AddLog(nullptr, 1);
    EXPECT_EQ(HeldLines(log), c.expected);
    EXPECT_EQ(log.CurCol(), static_cast<int>(c.expected.back().size()));
    log.Destroy();
  }
}

TEST_F(LogWinTest, RingKeepsTheLast1024Lines) {
  LogProbe log;
  Start(&log, 80, 20);
  for (int i = 0; i < 1100; ++i) {
    std::string text = i < 1024 ? "old line " + std::to_string(i) + " with padding\n"
                                : "n" + std::to_string(i) + "\n";
    log.AddLog(text.c_str(), 1);
  }
  ASSERT_EQ(log.LineCount(), 1024);
  EXPECT_EQ(log.Line(0), "old line 77 with padding");
  EXPECT_EQ(log.Line(946), "old line 1023 with padding");
  EXPECT_EQ(log.Line(947), "n1024");
  EXPECT_EQ(log.Line(1022), "n1099");
  EXPECT_EQ(log.Line(1023), "");
  SCROLLINFO info = BarInfo(log.GetWnd(), SB_VERT);
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 1023);
  EXPECT_EQ(info.nPos, 1024 - 20);
  EXPECT_EQ(log.VScrollPos(), 1024 - 20);
  log.Destroy();
}

// While the lines held are fewer than the rows, the bar is off and the view
// starts at the oldest line; from then on it follows the end of the log.
TEST_F(LogWinTest, ViewFollowsTheEndOnceTheLinesFillTheWindow) {
  LogProbe log;
  Start(&log, 80, 5);
  struct Step {
    int lineFeeds;
    int vScrollOn, vScrollPos;
  };
  const Step steps[] = {{0, 0, 0}, {3, 0, 0}, {4, 1, 0}, {6, 1, 2}};
  int fed = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.lineFeeds);
    for (; fed < s.lineFeeds; ++fed) log.AddLog("line\n", 1);
    EXPECT_EQ(log.LineCount(), s.lineFeeds + 1);
    EXPECT_EQ(log.VScrollOn(), s.vScrollOn);
    EXPECT_EQ(log.VScrollPos(), s.vScrollPos);
  }
  SCROLLINFO info = BarInfo(log.GetWnd(), SB_VERT);
  EXPECT_EQ(info.nMax, 6);
  EXPECT_EQ(static_cast<int>(info.nPage), 5);
  EXPECT_EQ(info.nPos, 2);
  log.Destroy();
}

struct ScrollCase {
  int cols, rows;
  UINT message;
  WORD request;
  int start;
  WORD thumb;
  int expected;
};

// Positions move by a quarter or a half of the page, truncated, and stay
// within 0 and the lines (or columns) that do not fit.
TEST_F(LogWinTest, ScrollRequests) {
  const UINT V = WM_VSCROLL, H = WM_HSCROLL;
  const ScrollCase cases[] = {
      {80, 8, V, SB_LINEDOWN, 10, 0, 12},
      {80, 8, V, SB_LINEUP, 10, 0, 8},
      {80, 8, V, SB_PAGEDOWN, 10, 0, 14},
      {80, 8, V, SB_PAGEUP, 10, 0, 6},
      {80, 8, V, SB_TOP, 10, 0, 9},
      {80, 8, V, SB_BOTTOM, 10, 0, 11},
      {80, 8, V, SB_THUMBTRACK, 10, 25, 25},
      {80, 8, V, SB_ENDSCROLL, 10, 0, 10},
      {80, 8, V, SB_LINEUP, 1, 0, 0},
      {80, 8, V, SB_PAGEDOWN, 32, 0, 33},
      {80, 8, V, SB_BOTTOM, 33, 0, 33},
      {80, 8, V, SB_THUMBPOSITION, 10, 500, 33},
      {80, 3, V, SB_LINEDOWN, 10, 0, 10},
      {80, 3, V, SB_PAGEDOWN, 10, 0, 11},
      {80, 1, V, SB_PAGEDOWN, 10, 0, 10},
      {80, 1, V, SB_THUMBTRACK, 10, 4, 4},
      {20, 8, H, SB_LINERIGHT, 0, 0, 5},
      {20, 8, H, SB_PAGERIGHT, 0, 0, 10},
      {20, 8, H, SB_THUMBTRACK, 0, 70, 60},
      {20, 8, H, SB_LEFT, 0, 0, 0},
      {3, 8, H, SB_LINERIGHT, 5, 0, 5},
      {3, 8, H, SB_PAGERIGHT, 5, 0, 6},
  };
  for (const ScrollCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cols << "x" << c.rows << " request " << c.request
                                    << " from " << c.start);
    LogProbe log;
    Start(&log, c.cols, c.rows);
    for (int i = 0; i < 40; ++i) log.AddLog("line\n", 1);  // 41 lines held
    Scroll(&log, c.message, SB_THUMBPOSITION, static_cast<WORD>(c.start));
    int bar = c.message == V ? SB_VERT : SB_HORZ;
    auto position = [&] { return c.message == V ? log.VScrollPos() : log.HScrollPos(); };
    ASSERT_EQ(position(), c.start);
    Scroll(&log, c.message, c.request, c.thumb);
    EXPECT_EQ(position(), c.expected);
    EXPECT_EQ(BarInfo(log.GetWnd(), bar).nPos, c.expected);
    log.Destroy();
  }
}

TEST_F(LogWinTest, NoScrollingWhileEveryLineFits) {
  LogProbe log;
  Start(&log, 80, 8);
  log.AddLog("a\nb\n", 1);
  Scroll(&log, WM_VSCROLL, SB_THUMBPOSITION, 2);
  EXPECT_EQ(log.VScrollPos(), 0);
  Scroll(&log, WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(log.VScrollPos(), 0);
  log.Destroy();
}

TEST_F(LogWinTest, SizeChangesRecomputeColumnsAndRows) {
  LogProbe log;
  Start(&log, 40, 4);
  for (int i = 0; i < 9; ++i) log.AddLog("line\n", 1);  // 10 lines held
  HWND wnd = log.GetWnd();
  EXPECT_EQ(log.HScrollOn(), 1);
  SCROLLINFO h = BarInfo(wnd, SB_HORZ);
  EXPECT_EQ(h.nMax, 79);
  EXPECT_EQ(static_cast<int>(h.nPage), 40);

  Scroll(&log, WM_HSCROLL, SB_THUMBPOSITION, 40);
  Resize(&log, 60, 4);
  EXPECT_EQ(log.HScrollPos(), 20);
  EXPECT_EQ(static_cast<int>(BarInfo(wnd, SB_HORZ).nPage), 60);
  Resize(&log, 100, 4);
  EXPECT_EQ(log.HScrollPos(), 0);
  EXPECT_EQ(log.HScrollOn(), 0);

  Scroll(&log, WM_VSCROLL, SB_THUMBPOSITION, 2);
  Resize(&log, 80, 6);
  EXPECT_EQ(log.VScrollOn(), 1);
  EXPECT_EQ(log.VScrollPos(), 4);
  SCROLLINFO v = BarInfo(wnd, SB_VERT);
  EXPECT_EQ(v.nMax, 9);
  EXPECT_EQ(static_cast<int>(v.nPage), 6);
  EXPECT_EQ(v.nPos, 4);
  // Grown beyond the lines held: every line shows, from the oldest.
  Resize(&log, 80, 12);
  EXPECT_EQ(log.VScrollOn(), 0);
  EXPECT_EQ(log.VScrollPos(), 0);

  // Minimizing leaves columns and rows as they were.
  ShowWindow(wnd, SW_MINIMIZE);
  EXPECT_EQ(log.VisibleCols(), 80);
  EXPECT_EQ(log.VisibleRows(), 12);
  log.Destroy();
}

TEST_F(LogWinTest, WindowSetUp) {
  LogProbe log;
  Start(&log);
  HWND wnd = log.GetWnd();
  DWORD style = GetWindowLongA(wnd, GWL_STYLE);
  EXPECT_EQ(style & (WS_HSCROLL | WS_VSCROLL), static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongA(wnd, GCL_HBRBACKGROUND)),
            static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  // The user cannot drag the client area below 64 by 64.
  RECT r;
  GetWindowRect(wnd, &r);
  r.right = r.left + log.FrameWidth() + 30;
  r.bottom = r.top + log.FrameHeight() + 20;
  SendMessageA(wnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.right - r.left - log.FrameWidth(), 64);
  EXPECT_EQ(r.bottom - r.top - log.FrameHeight(), 64);
  log.Destroy();
}

TEST_F(LogWinTest, AddLogOutsideTheWindowsLifeIsIgnored) {
  LogProbe log;
  log.AddLog("before\n", 1);
  EXPECT_EQ(log.LineCount(), 1);
  EXPECT_EQ(log.CurCol(), 0);
  EXPECT_FALSE(log.HasStore());

  Start(&log);
  log.AddLog("during\n", 1);
  log.Destroy();
  EXPECT_FALSE(log.HasStore());
  log.AddLog("after\n", 1);
  EXPECT_EQ(log.LineCount(), 2);
  // The rectangle was stored on the way out.
  EXPECT_TRUE(sub_.Has("ClientRect"));
}

TEST_F(LogWinTest, SetUpFailsWithoutALineStore) {
  std::string name = UniqueClassName();
  WindowParam p = PopupParam(name.c_str(), {0, 0, 200, 200});
  p.showCmd = SW_SHOW;
  LogProbe log;
  ASSERT_TRUE(log.SetRegSubKey(sub_.path()));
  DebugCapture capture;
  PVOsMethods refusing = *PVOs();
  refusing.allocBlock = [](uint32_t) -> void* { return nullptr; };
  const PVOsMethods* previous = PVOsSwap(&refusing);
  BOOL ok = log.Init(&p);
  PVOsSwap(previous);
  EXPECT_FALSE(ok);
  ASSERT_NE(log.GetWnd(), nullptr);
  EXPECT_FALSE(IsWindowVisible(log.GetWnd()));
  ASSERT_EQ(capture.lines().size(), 1u);
  EXPECT_EQ(capture.lines()[0], kCannotAllocate);
  log.Destroy();
}

// Drawing runs over every visible line, also with a character cut by the
// horizontal position; the window is valid afterwards.
TEST_F(LogWinTest, PaintValidatesTheWindow) {
  LogProbe log;
  Start(&log, 40, 4);
  ShowWindow(log.GetWnd(), SW_SHOWNOACTIVATE);
  log.AddLog("表示\nab\n\n", 1);
  Scroll(&log, WM_HSCROLL, SB_THUMBPOSITION, 1);
  EXPECT_TRUE(GetUpdateRect(log.GetWnd(), nullptr, FALSE));
  UpdateWindow(log.GetWnd());
  EXPECT_FALSE(GetUpdateRect(log.GetWnd(), nullptr, FALSE));
  log.Destroy();
}

}  // namespace
