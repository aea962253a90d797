// CPVDefWin: the client rectangle kept in the registry from one window to the
// next one set up under the same subkey.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/win/probe_window.h"
#include "tests/win/win_test_support.h"
#include "winlib/def_win.h"

namespace {

typedef Probe<CPVDefWin> DefProbe;

std::string RectBytes(const RECT& r) {
  int32_t fields[4] = {r.left, r.top, r.right, r.bottom};
  return std::string(reinterpret_cast<const char*>(fields), sizeof(fields));
}

class DefWinTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Pump();
    TakeQuit();
  }
  // Sets a window up under the scratch subkey with a class of its own.
  bool Start(DefProbe* win, RECT rect, int style = WS_POPUP) {
    names_.push_back(UniqueClassName());
    WindowParam p = PopupParam(names_.back().c_str(), rect);
    p.style = style;
    return win->SetRegSubKey(sub_.path()) && win->Init(&p);
  }
  ScratchSubKey sub_;
  std::vector<std::string> names_;
};

TEST_F(DefWinTest, FirstStartKeepsTheRecordAndLeavesAnEmptySubKey) {
  DefProbe win;
  ASSERT_TRUE(Start(&win, {40, 50, 240, 200}));
  EXPECT_EQ(RectText(ScreenClientRect(win.GetWnd())), "(40,50,240,200)");
  EXPECT_TRUE(sub_.Exists());
  EXPECT_FALSE(sub_.Has("ClientRect"));
  win.Destroy();
}

TEST_F(DefWinTest, RectangleAtDestructionOpensTheNextWindow) {
  DefProbe first;
  ASSERT_TRUE(Start(&first, {40, 50, 240, 200}, WS_OVERLAPPEDWINDOW | WS_VSCROLL));
  first.UserMove(300, 260);
  first.UserResizeClient(250, 170);
  const RECT atClose = ScreenClientRect(first.GetWnd());
  first.Destroy();
  EXPECT_EQ(first.preDestroys, 1);
  DWORD type = 0;
  EXPECT_EQ(sub_.Get("ClientRect", &type), RectBytes(atClose));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));

  DefProbe second;
  ASSERT_TRUE(Start(&second, {0, 0, 100, 100}, WS_OVERLAPPEDWINDOW | WS_VSCROLL));
  EXPECT_EQ(RectText(ScreenClientRect(second.GetWnd())), RectText(atClose));
  second.Destroy();
}

TEST_F(DefWinTest, MaximizedWindowStoresTheMaximizedArea) {
  DefProbe win;
  ASSERT_TRUE(Start(&win, {40, 50, 240, 200}, WS_OVERLAPPEDWINDOW));
  ShowWindow(win.GetWnd(), SW_MAXIMIZE);
  const RECT maximized = ScreenClientRect(win.GetWnd());
  win.Destroy();
  EXPECT_EQ(sub_.Get("ClientRect"), RectBytes(maximized));
}

struct StoredCase {
  const char* what;
  int32_t fields[5];
  DWORD size;
  const char* expected;
};

// A shorter value replaces only the leading fields; a longer one is ignored.
TEST_F(DefWinTest, StoredValuesOfOtherSizes) {
  const StoredCase cases[] = {
      {"16 bytes", {10, 20, 110, 90, 0}, 16, "(10,20,110,90)"},
      {"8 bytes", {10, 20, 0, 0, 0}, 8, "(10,20,240,200)"},
      {"20 bytes", {10, 20, 110, 90, 7}, 20, "(40,50,240,200)"},
  };
  for (const StoredCase& c : cases) {
    SCOPED_TRACE(c.what);
    sub_.Set("ClientRect", REG_BINARY, c.fields, c.size);
    DefProbe win;
    ASSERT_TRUE(Start(&win, {40, 50, 240, 200}));
    EXPECT_EQ(RectText(ScreenClientRect(win.GetWnd())), c.expected);
    win.Destroy();
  }
}

}  // namespace
