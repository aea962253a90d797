// The converter's window in this process, set up as WinMain sets it up and
// driven through its message loop: dropped files, the open-file dialog, the
// About box and the ways to close it.
#include <gtest/gtest.h>
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <memory>

#include "app/resource.h"
#include "tests/app/app_test_support.h"
#include "tests/win/win_test_support.h"

namespace {

const char kDialogTitle[] = "MIDIファイルの選択";
const char kDialogFilter[] = "MIDIﾌｧｲﾙ(*.mid)";
const DWORD kLimitMs = 15000;

std::string RectBytes(const RECT& r) {
  int32_t fields[4] = {r.left, r.top, r.right, r.bottom};
  return std::string(reinterpret_cast<const char*>(fields), sizeof fields);
}

std::string ItemText(HWND dialog, int id) {
  char text[MAX_PATH * 2] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

LogLines operator+(LogLines a, const LogLines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The lines logged since `before` was taken.
LogLines Since(const LogLines& before, const LogLines& now) {
  if (before.empty() || now.size() < before.size()) return now;
  return LogLines(now.begin() + (before.size() - 1), now.end());
}

class MainWinTest : public ::testing::Test {
 protected:
  void TearDown() override { Stop(); }

  // Sets a window up as WinMain does; each test may start several in turn.
  bool Start() {
    Stop();
    win_.reset(new MainWinProbe(GetModuleHandleA(nullptr)));
    WindowParam param = MainWinParam(SW_SHOWNORMAL);
    return win_->Init(&param) != 0;
  }
  // Destroys the window (which stores the settings) and the class, so that
  // the next Start registers it again.
  void Stop() {
    if (win_ && IsWindow(win_->GetWnd())) DestroyWindow(win_->GetWnd());
    win_.reset();
    Pump();
    TakeQuit();
    UnregisterClassA("TRELVIO", GetModuleHandleA(nullptr));
  }
  HWND Wnd() const { return win_->GetWnd(); }

  ScratchSubKey settings_{kProgramSubKey};
  ScratchFolder folder_;
  std::unique_ptr<MainWinProbe> win_;
};

// The drop's files are converted in the drop's order, each with its request
// and result lines; a broken file in the middle does not stop the next one.
TEST_F(MainWinTest, DroppedFilesAreConvertedInTheOrderOfTheDrop) {
  // A Shift-JIS name whose second byte is the backslash code, where the
  // system code page is 932 (as in the Windows test stage).
  const std::string third = GetACP() == 932 ? "表.mid" : "c.mid";
  const std::string thirdTarget = third.substr(0, third.find('.')) + ".mml";
  folder_.Write("a.mid", SongBytes(1));
  folder_.Write("b.mid", BrokenBytes());
  folder_.Write(third, SongBytes(2));
  ASSERT_TRUE(Start());
  const LogLines before = win_->Log();

  PostMessageA(Wnd(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(DropBlock(
                   {folder_.Path("a.mid"), folder_.Path("b.mid"), folder_.Path(third)})),
               0);
  PostQuitMessage(0);
  ASSERT_EQ(RunWatched(*win_, nullptr, kLimitMs), 0);

  EXPECT_EQ(Since(before, win_->Log()),
            SongLog("a.mid", 1) + BrokenLog("b.mid") + SongLog(third, 2) + LogLines{""});
  EXPECT_EQ(folder_.Names(),
            (std::vector<std::string>{"a.mid", "a.mml", "b.mid", third, thirdTarget}));
  EXPECT_EQ(win_->LastFileBytes(), PaddedPath(folder_.Path(third)));
}

// Ctrl+O, after a restart: the dialog opens on the file the last run
// converted; cancelling it logs nothing and changes nothing.
TEST_F(MainWinTest, OpenDialogStartsAtTheLastFileAndCancelChangesNothing) {
  folder_.Write("song.mid", SongBytes(1));
  const std::string song = folder_.Path("song.mid");
  ASSERT_TRUE(Start());
  ASSERT_NE(win_->ConvertFile(song.c_str()), 0);
  ASSERT_TRUE(Start());
  ASSERT_EQ(win_->LastFileBytes(), PaddedPath(song));
  const LogLines before = win_->Log();
  const std::vector<std::string> files = folder_.Names();

  HWND dialog = nullptr;
  HWND owner = nullptr;
  std::string name, folder, filter;
  ControlKeyDown control;
  PostLetterKey(Wnd(), 'O');
  int code = RunWatched(*win_, [&] {
    if (!dialog) {
      dialog = FindDialog(kDialogTitle);
      if (!dialog) return;
      owner = GetWindow(dialog, GW_OWNER);
      name = ItemText(dialog, edt1);
      if (name.empty()) name = ItemText(dialog, cmb13);
      char path[MAX_PATH] = {};
      SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof path, reinterpret_cast<LPARAM>(path));
      folder = path;
      filter = ItemText(dialog, cmb1);
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    } else if (!IsWindow(dialog)) {
      PostQuitMessage(0);
    }
  }, kLimitMs);
  ASSERT_EQ(code, 0) << "the dialog did not open or did not close";

  EXPECT_EQ(owner, Wnd());
  EXPECT_EQ(folder + "\\" + name, song);
  EXPECT_EQ(filter, kDialogFilter);
  EXPECT_EQ(win_->Log(), before);
  EXPECT_EQ(win_->LastFileBytes(), PaddedPath(song));
  EXPECT_EQ(folder_.Names(), files);
}

// Where the About box belongs: centred on its owner, by the window
// rectangles, each half truncated.
POINT CentredOn(const RECT& owner, const RECT& box) {
  return {(owner.left + owner.right) / 2 - (box.right - box.left) / 2,
          (owner.top + owner.bottom) / 2 - (box.bottom - box.top) / 2};
}

struct AboutCase {
  const char* what;
  void (*close)(HWND dialog);
  INT_PTR result;
};

const AboutCase kAboutCases[] = {
    {"OK button", [](HWND d) { SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }, IDOK},
    {"Enter", [](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_RETURN, 0x001C0001); }, IDOK},
    {"Esc", [](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0x00010001); }, IDCANCEL},
};

// The box opens centred over the main window, wherever the user put it, and
// each way of closing it ends it with its own result.
TEST_F(MainWinTest, AboutBoxOpensCentredAndClosesWithOkEnterAndEsc) {
  ASSERT_TRUE(Start());
  UserMove(Wnd(), 237, 141);
  for (const AboutCase& c : kAboutCases) {
    SCOPED_TRACE(c.what);
    HWND dialog = nullptr;
    RECT ownerRect = {}, boxRect = {};
    INT_PTR result = RunWatched([this] {
      return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr),
                                              MAKEINTRESOURCEA(IDD_ABOUT), Wnd(), AboutDlgProc, 0));
    }, [&] {
      if (dialog) return;
      dialog = FindDialog("Version");
      if (!dialog) return;
      GetWindowRect(Wnd(), &ownerRect);
      GetWindowRect(dialog, &boxRect);
      c.close(dialog);
    }, kLimitMs);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(result, c.result);
    const POINT centre = CentredOn(ownerRect, boxRect);
    EXPECT_EQ(boxRect.left, centre.x);
    EXPECT_EQ(boxRect.top, centre.y);
    EXPECT_FALSE(IsWindow(dialog));
  }
}

// Help > About reaches the box through the window's command handling, with
// the main window as the box's owner.
TEST_F(MainWinTest, HelpAboutShowsTheBoxOwnedByTheWindow) {
  ASSERT_TRUE(Start());
  HWND dialog = nullptr;
  HWND owner = nullptr;
  PostMessageA(Wnd(), WM_COMMAND, IDM_ABOUT, 0);
  int code = RunWatched(*win_, [&] {
    if (!dialog) {
      dialog = FindDialog("Version");
      if (!dialog) return;
      owner = GetWindow(dialog, GW_OWNER);
      PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    } else if (!IsWindow(dialog)) {
      PostQuitMessage(0);
    }
  }, kLimitMs);
  ASSERT_EQ(code, 0);
  EXPECT_EQ(owner, Wnd());
  EXPECT_TRUE(IsWindow(Wnd()));
}

struct CloseCase {
  const char* what;
  void (*request)(HWND wnd);
};

const CloseCase kCloseCases[] = {
    {"Ctrl+Q", [](HWND wnd) { PostLetterKey(wnd, 'Q'); }},
    {"File > Quit", [](HWND wnd) { PostMessageA(wnd, WM_COMMAND, IDM_QUIT, 0); }},
    {"close box", [](HWND wnd) { PostMessageA(wnd, WM_SYSCOMMAND, SC_CLOSE, 0); }},
};

// Each way of closing ends the message loop with 0 and stores both values.
TEST_F(MainWinTest, ClosingEndsTheLoopAndStoresTheSettings) {
  folder_.Write("song.mid", SongBytes(1));
  const std::string song = folder_.Path("song.mid");
  for (const CloseCase& c : kCloseCases) {
    SCOPED_TRACE(c.what);
    settings_.Remove("LastFile");
    settings_.Remove("ClientRect");
    ASSERT_TRUE(Start());
    ASSERT_NE(win_->ConvertFile(song.c_str()), 0);
    UserResizeClient(Wnd(), 400, 200);
    const RECT atClose = ScreenClientRect(Wnd());
    ControlKeyDown control;
    c.request(Wnd());
    EXPECT_EQ(RunWatched(*win_, nullptr, kLimitMs), 0);
    EXPECT_FALSE(IsWindow(Wnd()));
    DWORD type = 0;
    EXPECT_EQ(settings_.Get("LastFile", &type), PaddedPath(song));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(settings_.Get("ClientRect", &type), RectBytes(atClose));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  }
}

}  // namespace
