// CPVWinMain on real windows: set-up from a creation record, the routing of
// messages, size limits, geometry, closing and the message loop.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/win/probe_window.h"
#include "tests/win/win_test_support.h"

namespace {

typedef Probe<CPVWinMain> WinProbe;

const char kClassNameTooLong[] =
    "[CPVWinMain::Regist]ウィンドウクラス名が最大値より長く設定されています。\n";
const char kClassNotRegistered[] =
    "[CPVWinMain::Regist]ウィンドウクラスの登録ができませんでした。\n";
const char kNoClass[] = "[CPVWinMain::Create]ウィンドウクラスが登録されていません。\n";
const char kTitleTooLong[] =
    "[CPVWinMain::Create]ウィンドウ名が最大値より長く設定されています。\n";
const char kShowNoWindow[] = "[CPVWinMain::Show]ウィンドウが作成されていません。\n";
const char kUpdateNoWindow[] = "[CPVWinMain::Update]ウィンドウが作成されていません。\n";
const char kSubKeyTooLong[] =
    "[CPVWinMain::SetRegSubKey]レジストリのサブキーが最大値より長く設定されています。\n";

std::string ClassOf(HWND wnd) {
  char name[256] = {};
  GetClassNameA(wnd, name, sizeof(name));
  return name;
}

std::string TitleOf(HWND wnd) {
  char text[256] = {};
  GetWindowTextA(wnd, text, sizeof(text));
  return text;
}

class WinMainTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Pump();
    TakeQuit();
  }
};

TEST_F(WinMainTest, InitWithoutRecordMakesTheDefaultWindow) {
  WinProbe win;
  ASSERT_TRUE(win.Init(nullptr));
  HWND wnd = win.GetWnd();
  EXPECT_EQ(ClassOf(wnd), "PavoApplications");
  EXPECT_EQ(TitleOf(wnd), "PavoApplications");
  EXPECT_TRUE(IsWindowVisible(wnd));
  EXPECT_EQ(GetWindowLongA(wnd, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(RectText(ScreenClientRect(wnd)), "(64,64,384,304)");
  EXPECT_EQ(RectText(win.ClientRect()), "(64,64,384,304)");
  EXPECT_EQ(GetClassLongA(wnd, GCL_STYLE), static_cast<DWORD>(0x1003));
  EXPECT_EQ(CPVWinMain::GetMainWin(), &win);
  win.Destroy();
}

// Zero fields of a given record are taken as they are; the defaults fill
// only the icon, cursor and brush, and the caller's record stays as it was.
TEST_F(WinMainTest, InitTakesAGivenRecordAsItIs) {
  std::string name = UniqueClassName();
  WindowParam p = {};
  p.className = name.c_str();
  p.rect = {100, 120, 300, 220};
  p.style = WS_OVERLAPPEDWINDOW | WS_VSCROLL;
  const WindowParam before = p;
  WinProbe win;
  ASSERT_TRUE(win.Init(&p));
  HWND wnd = win.GetWnd();
  EXPECT_FALSE(IsWindowVisible(wnd));
  EXPECT_EQ(GetClassLongA(wnd, GCL_STYLE), 0u);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongA(wnd, GCL_HBRBACKGROUND)),
            static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_NE(GetClassLongA(wnd, GCL_HICON), 0u);
  EXPECT_EQ(TitleOf(wnd), "PavoApplications");
  // The scroll bar comes on top of the client area asked for.
  EXPECT_EQ(RectText(ScreenClientRect(wnd)), "(100,120,300,220)");
  EXPECT_EQ(RectText(p.rect), RectText(before.rect));
  EXPECT_EQ(p.style, before.style);
  win.Destroy();
}

struct NameCase {
  int classLength;
  int titleLength;
  const char* message;  // null: Init succeeds
};

TEST_F(WinMainTest, NamesOf64CharactersAreRefused) {
  const NameCase cases[] = {
      {63, 10, nullptr},
      {64, 10, kClassNameTooLong},
      {20, 63, nullptr},
      {20, 64, kTitleTooLong},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.classLength) + "/" + std::to_string(c.titleLength));
    std::string name = UniqueClassName();
    name += std::string(c.classLength - name.size(), 'c');
    std::string title(c.titleLength, 't');
    WindowParam p = PopupParam(name.c_str(), {0, 0, 100, 100});
    p.title = title.c_str();
    DebugCapture capture;
    WinProbe win;
    BOOL ok = win.Init(&p);
    if (!c.message) {
      ASSERT_TRUE(ok);
      EXPECT_EQ(ClassOf(win.GetWnd()), name);
      EXPECT_EQ(TitleOf(win.GetWnd()), title);
      EXPECT_TRUE(capture.lines().empty());
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(win.GetWnd(), nullptr);
      ASSERT_EQ(capture.lines().size(), 1u);
      EXPECT_EQ(capture.lines()[0], c.message);
    }
    win.Destroy();
  }
}

TEST_F(WinMainTest, SecondRegistrationOfAClassFails) {
  std::string name = UniqueClassName();
  WindowParam p = PopupParam(name.c_str(), {0, 0, 100, 100});
  WinProbe first, second;
  ASSERT_TRUE(first.Init(&p));
  DebugCapture capture;
  EXPECT_FALSE(second.Init(&p));
  EXPECT_EQ(second.GetWnd(), nullptr);
  ASSERT_EQ(capture.lines().size(), 1u);
  EXPECT_EQ(capture.lines()[0], kClassNotRegistered);
  first.Destroy();
}

TEST_F(WinMainTest, OperationsWithoutAWindowReport) {
  WinProbe win;
  WindowParam p = PopupParam(nullptr, {0, 0, 100, 100});
  win.ClearClassName();
  DebugCapture capture;
  EXPECT_FALSE(win.Show(SW_SHOW));
  EXPECT_FALSE(win.Update());
  EXPECT_FALSE(win.Create(&p));
  ASSERT_EQ(capture.lines().size(), 3u);
  EXPECT_EQ(capture.lines()[0], kShowNoWindow);
  EXPECT_EQ(capture.lines()[1], kUpdateNoWindow);
  EXPECT_EQ(capture.lines()[2], kNoClass);
}

// The slot is filled after CreateWindowEx returns, so the messages of the
// creation itself get default handling only.
TEST_F(WinMainTest, MessagesDuringCreationReachNoHandler) {
  std::string name = UniqueClassName();
  WindowParam p = DefaultParam(name.c_str());
  WinProbe win;
  ASSERT_TRUE(win.Init(&p));
  EXPECT_EQ(win.routedBeforePostCreate, 0);
  int before = win.routed;
  SendMessageA(win.GetWnd(), WM_COMMAND, 40004, 0);
  EXPECT_EQ(win.routed, before + 1);
  EXPECT_EQ(win.lastCommand, 40004u);
  win.Destroy();
}

struct SizingCase {
  const char* what;
  int limits[6];  // min width, min height, max width, max height, steps
  WPARAM edge;
  int width, height;  // proposed client size
  // Expected edge moves relative to the proposed rectangle.
  int dLeft, dTop, dRight, dBottom;
};

TEST_F(WinMainTest, SizingHoldsTheClientSizeWithinTheLimits) {
  const int none = -1;
  const SizingCase cases[] = {
      {"no limits", {none, none, none, none, 0, 0}, WMSZ_RIGHT, 50, 50, 0, 0, 0, 0},
      {"min width, right", {64, none, none, none, 0, 0}, WMSZ_RIGHT, 50, 80, 0, 0, 14, 0},
      {"min width, left", {64, none, none, none, 0, 0}, WMSZ_LEFT, 50, 80, -14, 0, 0, 0},
      {"min height, top", {none, 64, none, none, 0, 0}, WMSZ_TOP, 80, 30, 0, -34, 0, 0},
      {"min height, bottom", {none, 64, none, none, 0, 0}, WMSZ_BOTTOM, 80, 30, 0, 0, 0, 34},
      {"max, bottom right", {none, none, 200, 150, 0, 0}, WMSZ_BOTTOMRIGHT, 300, 160, 0, 0, -100, -10},
      {"max, top left", {none, none, 200, 150, 0, 0}, WMSZ_TOPLEFT, 300, 160, 100, 10, 0, 0},
      {"max, top right", {none, none, 200, 150, 0, 0}, WMSZ_TOPRIGHT, 300, 160, 0, 10, -100, 0},
      {"max, bottom left", {none, none, 200, 150, 0, 0}, WMSZ_BOTTOMLEFT, 300, 160, 100, 0, 0, -10},
      {"step 8", {none, none, none, none, 8, 0}, WMSZ_RIGHT, 101, 50, 0, 0, -5, 0},
      {"step 8, negative size", {none, none, none, none, 8, 0}, WMSZ_RIGHT, -13, 50, 0, 0, 5, 0},
      {"step height 10", {none, none, none, none, 0, 10}, WMSZ_BOTTOM, 50, 57, 0, 0, 0, -7},
      {"maximum below minimum", {100, none, 80, none, 0, 0}, WMSZ_RIGHT, 90, 50, 0, 0, -10, 0},
      {"width limit, top edge", {64, none, none, none, 0, 0}, WMSZ_TOP, 50, 50, 0, 0, 0, 0},
      {"unknown edge code", {64, 64, none, none, 0, 0}, 9, 10, 10, 0, 0, 0, 0},
  };
  std::string name = UniqueClassName();
  WindowParam p = DefaultParam(name.c_str());
  p.showCmd = SW_HIDE;
  WinProbe win;
  ASSERT_TRUE(win.Init(&p));
  const int fw = win.FrameWidth();
  const int fh = win.FrameHeight();
  ASSERT_GT(fw, 0);
  ASSERT_GT(fh, 0);
  for (const SizingCase& c : cases) {
    SCOPED_TRACE(c.what);
    win.SetSizeLimit(c.limits[0], c.limits[1], c.limits[2], c.limits[3], c.limits[4], c.limits[5]);
    const RECT proposed = {500, 400, 500 + fw + c.width, 400 + fh + c.height};
    RECT r = proposed;
    LRESULT result = SendMessageA(win.GetWnd(), WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(result, 1);
    RECT expected = {proposed.left + c.dLeft, proposed.top + c.dTop, proposed.right + c.dRight,
                     proposed.bottom + c.dBottom};
    EXPECT_EQ(RectText(r), RectText(expected));
  }
  win.Destroy();
}

// Only the user's moves and sizes refresh the geometry; the program's do not.
TEST_F(WinMainTest, GeometryFollowsUserMovesAndSizes) {
  std::string name = UniqueClassName();
  WindowParam p = DefaultParam(name.c_str());
  WinProbe win;
  ASSERT_TRUE(win.Init(&p));
  HWND wnd = win.GetWnd();
  const std::string created = RectText(win.ClientRect());

  SetWindowPos(wnd, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SetWindowPos(wnd, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(RectText(win.ClientRect()), created);

  win.UserMove(220, 170);
  EXPECT_EQ(RectText(win.ClientRect()), RectText(ScreenClientRect(wnd)));
  win.UserResizeClient(260, 180);
  EXPECT_EQ(RectText(win.ClientRect()), RectText(ScreenClientRect(wnd)));
  EXPECT_EQ(win.ClientWidth(), 260);
  EXPECT_EQ(win.ClientHeight(), 180);
  win.Destroy();
}

TEST_F(WinMainTest, MaximizeMinimizeRestore) {
  std::string name = UniqueClassName();
  WindowParam p = DefaultParam(name.c_str());
  WinProbe win;
  ASSERT_TRUE(win.Init(&p));
  HWND wnd = win.GetWnd();
  const std::string normal = RectText(win.ClientRect());

  ShowWindow(wnd, SW_MAXIMIZE);
  EXPECT_TRUE(win.Maximized());
  const std::string maximized = RectText(win.ClientRect());
  EXPECT_EQ(maximized, RectText(ScreenClientRect(wnd)));
  EXPECT_GT(win.ClientWidth(), 320);

  ShowWindow(wnd, SW_MINIMIZE);
  EXPECT_EQ(RectText(win.ClientRect()), maximized);

  ShowWindow(wnd, SW_RESTORE);  // back to maximized
  ShowWindow(wnd, SW_RESTORE);  // back to normal
  EXPECT_FALSE(win.Maximized());
  EXPECT_EQ(RectText(win.ClientRect()), normal);
  win.Destroy();
}

TEST_F(WinMainTest, QueryCloseCanRefuse) {
  std::string name = UniqueClassName();
  WindowParam p = PopupParam(name.c_str(), {0, 0, 100, 100});
  WinProbe win;
  ASSERT_TRUE(win.Init(&p));
  win.allowClose = FALSE;
  EXPECT_EQ(win.RequestClose(), 0);
  EXPECT_TRUE(IsWindow(win.GetWnd()));
  EXPECT_EQ(win.queries, 1);
  EXPECT_EQ(win.preDestroys, 0);
  EXPECT_FALSE(TakeQuit());

  win.allowClose = TRUE;
  EXPECT_EQ(win.RequestClose(), 0);
  EXPECT_FALSE(IsWindow(win.GetWnd()));
  EXPECT_EQ(win.preDestroys, 1);
  int code = -1;
  EXPECT_TRUE(TakeQuit(&code));
  EXPECT_EQ(code, 0);
}

TEST_F(WinMainTest, ChildWindowPostsNoQuit) {
  std::string parentName = UniqueClassName();
  std::string childName = UniqueClassName();
  WindowParam pp = PopupParam(parentName.c_str(), {0, 0, 200, 200});
  WinProbe parent;
  ASSERT_TRUE(parent.Init(&pp));
  WindowParam cp = PopupParam(childName.c_str(), {10, 10, 50, 50});
  cp.style = WS_CHILD;
  cp.parent = &parent;
  WinProbe child;
  ASSERT_TRUE(child.Init(&cp));
  EXPECT_EQ(GetParent(child.GetWnd()), parent.GetWnd());
  EXPECT_EQ(CPVWinMain::GetMainWin(), &parent);

  child.Destroy();
  EXPECT_EQ(child.preDestroys, 1);
  EXPECT_FALSE(TakeQuit());
  parent.Destroy();
  EXPECT_TRUE(TakeQuit());
}

// Run hands key messages to the accelerator table while it is on.
TEST_F(WinMainTest, RunTranslatesAcceleratorsWhileEnabled) {
  std::string name = UniqueClassName();
  WindowParam p = PopupParam(name.c_str(), {0, 0, 100, 100});
  WinProbe win;
  ASSERT_TRUE(win.Init(&p));
  EXPECT_FALSE(win.LoadAccel(MAKEINTRESOURCEA(103)));
  ACCEL entry = {FVIRTKEY, VK_F5, 40004};
  HACCEL table = CreateAcceleratorTableA(&entry, 1);
  win.SetAccelTable(table);

  PostMessageA(win.GetWnd(), WM_KEYDOWN, VK_F5, 0x003F0001);
  PostQuitMessage(7);
  EXPECT_EQ(win.Run(), 7);
  EXPECT_EQ(win.commands, 1);
  EXPECT_EQ(win.lastCommand, MAKEWPARAM(40004, 1));
  EXPECT_EQ(win.keyDowns, 0);

  win.EnableAccel(0);
  PostMessageA(win.GetWnd(), WM_KEYDOWN, VK_F5, 0x003F0001);
  PostQuitMessage(0);
  EXPECT_EQ(win.Run(), 0);
  EXPECT_EQ(win.commands, 1);
  EXPECT_EQ(win.keyDowns, 1);
  EXPECT_EQ(win.lastKey, static_cast<WPARAM>(VK_F5));
  win.Destroy();
  DestroyAcceleratorTable(table);
}

TEST_F(WinMainTest, RegistryValuesLiveUnderTheSubKey) {
  ScratchSubKey sub;
  WinProbe win;
  ASSERT_TRUE(win.SetRegSubKey(sub.path()));
  EXPECT_TRUE(win.WriteRegValue("Data", "\x01\x02\x03", 3));
  DWORD type = 0;
  EXPECT_EQ(sub.Get("Data", &type), "\x01\x02\x03");
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));

  unsigned char buffer[8];
  std::memset(buffer, 0x55, sizeof(buffer));
  EXPECT_EQ(win.ReadRegValue("Data", buffer, sizeof(buffer), 1), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 8), std::string("\x01\x02\x03\0\0\0\0\0", 8));
  std::memset(buffer, 0x55, sizeof(buffer));
  EXPECT_EQ(win.ReadRegValue("Missing", buffer, sizeof(buffer), 0), 0u);
  EXPECT_EQ(buffer[0], 0x55);
  EXPECT_EQ(win.ReadRegValue("Missing", buffer, sizeof(buffer), 1), 0u);
  for (unsigned char b : buffer) EXPECT_EQ(b, 0);
}

TEST_F(WinMainTest, SubKeyOf64CharactersIsRefused) {
  WinProbe win;
  EXPECT_EQ(win.SubKey(), "Software\\HOLVEN\\PavoApplications");
  DebugCapture capture;
  EXPECT_FALSE(win.SetRegSubKey(std::string(64, 'k').c_str()));
  EXPECT_EQ(win.SubKey(), "Software\\HOLVEN\\PavoApplications");
  EXPECT_TRUE(win.SetRegSubKey(std::string(63, 'k').c_str()));
  EXPECT_EQ(win.SubKey(), std::string(63, 'k'));
  ASSERT_EQ(capture.lines().size(), 1u);
  EXPECT_EQ(capture.lines()[0], kSubKeyTooLong);
}

}  // namespace
