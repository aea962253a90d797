// The window's rectangle: a drag held within the size limits (CPVWinMain), and
// the client rectangle stored at the end and taken by the next window (CPVDefWin).
#include <gtest/gtest.h>

#include "tests/win/win_test_support.h"
#include "winlib/def_win.h"

namespace {

// The dragged edges move so that the client size keeps within the limits.
TEST(WinMain, SizingHoldsTheLimits) {
  const int no = -1;
  // Min and max width and height, steps; edge; proposed size; edges' moves.
  struct Case { int limits[6]; WPARAM edge; int width, height, dLeft, dTop, dRight, dBottom; };
  const Case cases[] = {
      {{64, no, no, no, 0, 0}, WMSZ_RIGHT, 50, 80, 0, 0, 14, 0},
      {{64, no, no, no, 0, 0}, WMSZ_LEFT, 50, 80, -14, 0, 0, 0},
      {{64, no, no, no, 0, 0}, WMSZ_TOP, 50, 50, 0, 0, 0, 0},  // only the width too small
      {{no, 64, no, no, 0, 0}, WMSZ_TOP, 80, 30, 0, -34, 0, 0},
      {{no, 64, no, no, 0, 0}, WMSZ_BOTTOM, 80, 30, 0, 0, 0, 34},
      {{no, no, 200, 150, 0, 0}, WMSZ_BOTTOMRIGHT, 300, 160, 0, 0, -100, -10},
      {{no, no, no, no, 8, 10}, WMSZ_BOTTOMRIGHT, 101, 57, 0, 0, -5, -7},
      {{no, no, no, no, 8, 0}, WMSZ_RIGHT, -13, 50, 0, 0, 5, 0},
  };
  WindowParam p = PopupParam({0, 0, 100, 100}, WS_OVERLAPPEDWINDOW);
  Probe<CPVWinMain> win;
  ASSERT_TRUE(win.Init(&p));
  const int fw = win.frameWidth, fh = win.frameHeight;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "edge " << c.edge << " size " << c.width << "x" << c.height);
    win.SetSizeLimit(c.limits[0], c.limits[1], c.limits[2], c.limits[3], c.limits[4], c.limits[5]);
    RECT r = {500, 400, 500 + fw + c.width, 400 + fh + c.height};
    const RECT expected = {r.left + c.dLeft, r.top + c.dTop, r.right + c.dRight,
                           r.bottom + c.dBottom};
    EXPECT_EQ(SendMessageA(win.GetWnd(), WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&r)), 1);
    EXPECT_EQ(RectText(r), RectText(expected));
  }
}

// A shorter stored value replaces the leading fields of the rectangle asked for,
// a longer one is not taken; one below the minimum size (120 by 100) grows to it;
// one off every screen comes back whole at the work area's corner. Each window
// stores its client area at its end.
TEST(DefWin, StoredRectangleOpensTheNextWindow) {
  struct Case { std::vector<int32_t> stored; RECT clientArea; };
  const Case cases[] = {
      {{10, 20, 110, 90, 7}, {40, 50, 240, 200}}, {{10, 20}, {10, 20, 240, 200}},
      {{}, {10, 20, 240, 200}}, {{100, 100, 110, 110}, {100, 100, 220, 200}},
      {{-5000, -4000, -4800, -3850}, {0, 0, 200, 150}},
  };
  RegKey key;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.size());
    const bool offScreen = !c.stored.empty() && c.stored[0] < 0;
    if (!c.stored.empty()) key.Set("ClientRect", REG_BINARY, c.stored.data(), 4 * c.stored.size());
    RECT shown, actual;
    {
      WindowParam p = PopupParam({40, 50, 240, 200}, WS_OVERLAPPEDWINDOW | WS_VSCROLL);
      Probe<CPVDefWin> win;
      win.SetSizeLimit(120, 100, -1, -1, 0, 0);
      ASSERT_TRUE(win.SetRegSubKey(key.path()));
      ASSERT_TRUE(win.Init(&p));
      actual = shown = ScreenClientRect(win.GetWnd());
      RECT window, work;
      GetWindowRect(win.GetWnd(), &window);
      SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
      // Off screen: where the frame lies in the work area, and the client size.
      if (offScreen)
        OffsetRect(&shown, window.left - work.left - shown.left, window.top - work.top - shown.top);
    }
    EXPECT_EQ(RectText(shown), RectText(c.clientArea));
    EXPECT_EQ(key.Get("ClientRect"), RectBytes(actual));
  }
}

}  // namespace
