// CPVWinMain on a real window: the size limits of a user's drag.
#include <gtest/gtest.h>

#include "tests/win/win_test_support.h"

namespace {

typedef Probe<CPVWinMain> Win;

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
      {{64, 64, no, no, 0, 0}, 9, 10, 10, 0, 0, 0, 0},  // no edge code
  };
  WindowParam p = PopupParam({0, 0, 100, 100}, WS_OVERLAPPEDWINDOW);
  Win win;
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

}  // namespace
