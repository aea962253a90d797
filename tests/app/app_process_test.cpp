// TRELVIO.exe started as its own process: a file named on its command line,
// the ways to close it, its exit code, and the settings it leaves for the
// next start.
#include <gtest/gtest.h>

#include "app/resource.h"
#include "tests/app/app_process.h"
#include "tests/win/win_test_support.h"

namespace {

const DWORD kLimitMs = 20000;

std::string RectBytes(const RECT& r) {
  int32_t fields[4] = {r.left, r.top, r.right, r.bottom};
  return std::string(reinterpret_cast<const char*>(fields), sizeof fields);
}

class AppProcessTest : public ::testing::Test {
 protected:
  ScratchSubKey settings_{kProgramSubKey};
  ScratchFolder folder_;
};

// Ctrl+Q reaches the program's thread through a shared input state: the key
// state set here is the one its accelerator translation reads.
DWORD PressControlQ(AppProcess& app, HWND wnd) {
  AttachThreadInput(GetCurrentThreadId(), app.ThreadId(), TRUE);
  DWORD code;
  {
    ControlKeyDown control;
    PostLetterKey(wnd, 'Q');
    code = app.WaitForExit(kLimitMs);
  }
  AttachThreadInput(GetCurrentThreadId(), app.ThreadId(), FALSE);
  return code;
}

DWORD PostClose(AppProcess& app, HWND wnd) {
  PostMessageA(wnd, WM_CLOSE, 0, 0);
  return app.WaitForExit(kLimitMs);
}

struct CloseCase {
  const char* what;
  DWORD (*close)(AppProcess& app, HWND wnd);
};

const CloseCase kCloseCases[] = {
    {"WM_CLOSE", PostClose},
    {"Ctrl+Q", PressControlQ},
};

// The file on the command line is converted while the window is set up, so
// its target exists and its lines are in the log when the window first
// shows; after a close request the program ends with 0 and has stored the
// source as "LastFile" and the client area as "ClientRect".
TEST_F(AppProcessTest, FileOnTheCommandLineIsConvertedBeforeTheWindowShows) {
  folder_.Write("song 1.mid", SongBytes(3));
  const std::string song = folder_.Path("song 1.mid");
  for (const CloseCase& c : kCloseCases) {
    SCOPED_TRACE(c.what);
    DeleteFileA(folder_.Path("song 1.mml").c_str());
    settings_.Remove("LastFile");
    settings_.Remove("ClientRect");
    AppProcess app(song);
    ASSERT_TRUE(app.Started()) << ProgramPath();
    bool targetAtFirstSight = false;
    HWND wnd = app.WaitForWindow(kLimitMs, [&] { targetAtFirstSight = folder_.Has("song 1.mml"); });
    ASSERT_NE(wnd, nullptr);
    EXPECT_TRUE(targetAtFirstSight);
    LogLines expected = SongLog("song 1.mid", 3);
    expected.push_back("");
    EXPECT_EQ(app.ReadLog(), expected);
    EXPECT_EQ(app.ReadLastFile(), PaddedPath(song));
    const RECT atClose = ScreenClientRect(wnd);

    EXPECT_EQ(c.close(app, wnd), 0u);
    DWORD type = 0;
    EXPECT_EQ(settings_.Get("LastFile", &type), PaddedPath(song));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(settings_.Get("ClientRect", &type), RectBytes(atClose));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  }
}

// A window the user moved and resized comes back at the same place with the
// same size; a start without a file opens with an empty log.
TEST_F(AppProcessTest, MovedAndResizedWindowComesBackTheSame) {
  RECT atClose;
  {
    AppProcess first;
    HWND wnd = first.WaitForWindow(kLimitMs);
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(RectText(ScreenClientRect(wnd)), "(64,64,384,304)");
    UserMove(wnd, 300, 180);
    UserResizeClient(wnd, 520, 310);
    atClose = ScreenClientRect(wnd);
    ASSERT_EQ(atClose.right - atClose.left, 520);
    ASSERT_EQ(PostClose(first, wnd), 0u);
  }
  EXPECT_EQ(settings_.Get("ClientRect"), RectBytes(atClose));
  EXPECT_EQ(settings_.Get("LastFile"), std::string(CMainWin::kPathSize, '\0'));

  AppProcess second;
  HWND wnd = second.WaitForWindow(kLimitMs);
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(RectText(ScreenClientRect(wnd)), RectText(atClose));
  EXPECT_EQ(second.ReadLog(), LogLines{""});
  EXPECT_EQ(PostClose(second, wnd), 0u);
}

}  // namespace
