// CPVDefWin: the client rectangle stored when a window is destroyed and taken
// by the next window set up under the same subkey.
#include <gtest/gtest.h>

#include "tests/win/win_test_support.h"
#include "winlib/def_win.h"

namespace {

// A shorter stored value replaces the leading fields of the rectangle asked
// for, (40,50,240,200), and a longer one is not taken; one below the minimum
// client size (120 by 100) grows to it; one off every screen comes back,
// whole, at the corner of the nearest work area. Each window stores its
// client area at its end; no value leaves what the previous window stored.
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
