// CPVDefWin: the client rectangle stored when a window is destroyed and taken
// by the next window set up under the same subkey.
#include <gtest/gtest.h>

#include "tests/win/win_test_support.h"
#include "winlib/def_win.h"

namespace {

// A shorter stored value replaces the leading fields of the rectangle asked
// for, (40,50,240,200), and a longer one is not taken. Each window stores its
// client area at its end; size 0 leaves what the previous window stored.
TEST(DefWin, StoredRectangleOpensTheNextWindow) {
  const int32_t stored[5] = {10, 20, 110, 90, 7};
  struct Case { DWORD size; RECT clientArea; };
  RegKey key;
  for (const Case& c : {Case{20, {40, 50, 240, 200}}, Case{8, {10, 20, 240, 200}},
                        Case{0, {10, 20, 240, 200}}}) {
    SCOPED_TRACE(c.size);
    if (c.size) key.Set("ClientRect", REG_BINARY, stored, c.size);
    {
      WindowParam p = PopupParam({40, 50, 240, 200}, WS_OVERLAPPEDWINDOW | WS_VSCROLL);
      Probe<CPVDefWin> win;
      ASSERT_TRUE(win.SetRegSubKey(key.path()));
      ASSERT_TRUE(win.Init(&p));
      EXPECT_EQ(RectText(ScreenClientRect(win.GetWnd())), RectText(c.clientArea));
    }
    EXPECT_EQ(key.Get("ClientRect"), RectBytes(c.clientArea));
  }
}

}  // namespace
