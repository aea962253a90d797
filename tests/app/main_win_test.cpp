// The window program: CMainWin set up here as WinMain sets it up and driven
// through its message loop, and TRELVIO.exe started as a process of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "app/main_win.h"
#include "app/resource.h"
#include "converter/messages.h"
#include "tests/support/harness.h"
#include "tests/win/win_test_support.h"

namespace {

const char kProgramSubKey[] = "Software\\Holven\\TRELVIO";
const DWORD kLimitMs = 20000;

typedef LogProbeOf<CMainWin> MainWinProbe;

// A song of a tempo track and `parts` tracks of `notes` quarter notes each.
Bytes Song(int parts, int notes = 2) {
  std::vector<TrackBuilder> tracks(1);
  tracks[0].Tempo(0, 500000).Meter(0, 4, 2).EndOfTrack(notes * 480);
  for (int part = 0; part < parts; ++part) {
    tracks.emplace_back();
    for (int i = 0; i < notes; ++i) tracks.back().Note(i * 480, i * 480 + 480, 60 + part + i % 12);
    tracks.back().EndOfTrack(notes * 480);
  }
  return SmfFile(480, tracks);
}

// The log of a job on `bytes` named `name`: request, converter's lines, result.
std::string JobLog(const std::string& name, const Bytes& bytes) {
  const Conversion c = RunConverter(bytes);
  return name + "->" + name.substr(0, name.find('.')) + ".mml\n" + c.log +
         (c.result ? msg::kConversionSucceeded : msg::kConversionFailed);
}

// A source path as "LastFile" holds it: zero-padded to 260 bytes.
std::string Padded(const std::string& path) {
  return path + std::string(CMainWin::kPathSize - path.size(), '\0');
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Posts Ctrl+letter, the control key held in the thread's key state (shared
// with attached threads) during `wait`.
void PressCtrlKey(HWND wnd, char letter, const std::function<void()>& wait) {
  BYTE saved[256], keys[256];
  GetKeyboardState(saved);
  std::copy(saved, saved + 256, keys);
  keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageA(wnd, WM_KEYDOWN, letter, 1 | (MapVirtualKeyA(letter, 0) << 16));
  wait();
  SetKeyboardState(saved);
}

// A drop as the shell builds it: a moveable zero-filled block, the DROPFILES
// header, the ANSI paths each ended by a NUL, and a final NUL.
HGLOBAL DropBlock(const Lines& paths) {
  std::string text;
  for (const std::string& path : paths) text += path + '\0';
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + text.size() + 1);
  DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  text.copy(reinterpret_cast<char*>(header + 1), text.size());
  GlobalUnlock(block);
  return block;
}

std::function<void()> onTick;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { onTick(); }

// Runs the window's loop until the dialog titled `title` has opened (a thread
// timer reaches into its modal loop), been given to `handle` and closed.
bool HandleDialog(CPVWinMain& win, const char* title, const std::function<void(HWND)>& handle) {
  HWND dialog = nullptr;
  const DWORD start = GetTickCount();
  onTick = [&] {
    if (GetTickCount() - start > kLimitMs) {
      PostQuitMessage(1);
    } else if (!dialog) {
      dialog = FindWindowA(MAKEINTATOM(32770), title);
      if (dialog) handle(dialog);
    } else if (!IsWindow(dialog)) {
      PostQuitMessage(0);
    }
  };
  UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
  int code = win.Run();
  KillTimer(nullptr, timer);
  return code == 0 && dialog;
}

// The window as WinMain sets it up, driven through its message loop. A drop's
// files are converted in order; the broken second one leaves no target nor
// stops the third (whose second byte is the backslash code). In the next
// window Ctrl+O opens the dialog on that file, and cancelling it logs and
// changes nothing. Help > About opens the box centred over the window; OK,
// Enter and Esc each close it.
TEST(MainWin, DropsOpenDialogAndAboutBox) {
  RegKey settings(kProgramSubKey);
  ScratchDir dir;
  std::unique_ptr<MainWinProbe> win;
  auto start = [&] {
    win.reset();
    UnregisterClassA("TRELVIO", GetModuleHandleA(nullptr));
    win.reset(new MainWinProbe(GetModuleHandleA(nullptr)));
    WindowParam param = MainWinParam(SW_SHOWNORMAL);
    return win->Init(&param) != 0;
  };
  const Lines names = {"a.mid", "b.mid", GetACP() == 932 ? "表.mid" : "c.mid"};
  const Bytes songs[] = {Song(1), Bytes(20, 'x'), Song(2)};
  Lines paths;
  std::string log;
  for (int i = 0; i < 3; ++i) {
    paths.push_back(dir.path + "\\" + names[i]);
    WriteFileBytes(paths[i], songs[i]);
    log += JobLog(names[i], songs[i]);
  }
  ASSERT_TRUE(start());
  PostMessageA(win->GetWnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock(paths)), 0);
  PostQuitMessage(0);
  ASSERT_EQ(win->Run(), 0);
  EXPECT_EQ(win->Text(), log);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Exists(paths[i].substr(0, paths[i].rfind('.')) + ".mml"), i != 1) << names[i];
  }

  ASSERT_TRUE(start());
  std::string shown;
  PressCtrlKey(win->GetWnd(), 'O', [&] {
    EXPECT_TRUE(HandleDialog(*win, "MIDIファイルの選択", [&](HWND dialog) {
      char folder[MAX_PATH] = {}, name[MAX_PATH] = {};
      SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
      if (!GetDlgItemTextA(dialog, edt1, name, sizeof name))
        GetDlgItemTextA(dialog, cmb13, name, sizeof name);
      shown = std::string(folder) + "\\" + name;
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }));
  });
  EXPECT_EQ(shown, paths[2]);
  EXPECT_EQ(win->Text(), "");

  struct Case { const char* what; void (*close)(HWND dialog); };
  const Case cases[] = {
      {"OK", [](HWND d) { SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }},
      {"Enter", [](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_RETURN, 0x001C0001); }},
      {"Esc", [](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0x00010001); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RECT owner = {}, box = {};
    PostMessageA(win->GetWnd(), WM_COMMAND, IDM_ABOUT, 0);
    EXPECT_TRUE(HandleDialog(*win, "Version", [&](HWND dialog) {
      GetWindowRect(win->GetWnd(), &owner);
      GetWindowRect(dialog, &box);
      c.close(dialog);
    }));
    EXPECT_NEAR(box.left + box.right, owner.left + owner.right, 1);
    EXPECT_NEAR(box.top + box.bottom, owner.top + owner.bottom, 1);
  }
  win.reset();
  EXPECT_EQ(settings.Get("LastFile"), Padded(paths[2]));
}

// TRELVIO.exe with `argument` on its command line; ended with the object.
struct AppProcess {
  explicit AppProcess(std::string argument) {
    char self[MAX_PATH];
    std::string line(self, GetModuleFileNameA(nullptr, self, sizeof self));
    line = "\"" + line.substr(0, line.rfind('\\') + 1) + TRELVIO_EXE_FROM_TESTS + "\" \"" +
           argument + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    CreateProcessA(nullptr, &line[0], nullptr, nullptr, 0, 0, nullptr, nullptr, &startup, &info);
  }
  ~AppProcess() {
    TerminateProcess(info.hProcess, STILL_ACTIVE);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  // The program's window once visible; atFirstSight runs at that moment.
  static HWND WaitForWindow(const std::function<void()>& atFirstSight) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kLimitMs; Sleep(1)) {
      HWND wnd = FindWindowA("TRELVIO", nullptr);
      if (!IsWindowVisible(wnd)) continue;
      atFirstSight();
      return wnd;
    }
    return nullptr;
  }
  // The log read from the program's memory: the user-data slot holds the
  // object, whose members sit where this program's build puts them.
  std::string Log(HWND wnd) const {
    const char* there = reinterpret_cast<const char*>(GetWindowLongA(wnd, GWL_USERDATA));
    const MainWinProbe here(GetModuleHandleA(nullptr));
    const char* base = reinterpret_cast<const char*>(static_cast<const CPVWinMain*>(&here));
    auto at = [&](const void* member) { return there + (static_cast<const char*>(member) - base); };
    auto read = [&](const void* from, void* to, size_t size) {
      return ReadProcessMemory(info.hProcess, from, to, size, nullptr) != 0;
    };
    const char* store = nullptr;
    int curLine = 0, lineCount = 0;
    std::vector<char> ring(CPVLogWin::kRingLines * CPVLogWin::kSlotSize);
    if (!there || !read(at(&here.lines), &store, sizeof store) ||
        !read(at(&here.curLine), &curLine, sizeof curLine) ||
        !read(at(&here.lineCount), &lineCount, sizeof lineCount) ||
        !read(store, ring.data(), ring.size()))
      return "";
    return RingText(ring.data(), curLine, lineCount);
  }
  DWORD WaitForExit() const {  // STILL_ACTIVE after the time limit
    DWORD code = STILL_ACTIVE;
    WaitForSingleObject(info.hProcess, kLimitMs);
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  PROCESS_INFORMATION info = {};
};

// The file argument is converted (target written, lines logged) before the
// window first shows. Each way of closing ends with 0 and stores "LastFile"
// and, as "ClientRect", the area the user gave, where the next start opens.
TEST(AppProcess, ConvertsItsArgumentBeforeShowingAndKeepsItsSettings) {
  struct Case { const char* what; UINT message; WPARAM wParam; };  // message 0: Ctrl+Q
  const Case cases[] = {
      {"WM_CLOSE", WM_CLOSE, 0},
      {"File > Quit", WM_COMMAND, IDM_QUIT},
      {"close box", WM_SYSCOMMAND, SC_CLOSE},
      {"Ctrl+Q", 0, 0},
  };
  RegKey settings(kProgramSubKey);
  ScratchDir dir;
  const std::string song = dir.path + "\\song 1.mid", target = dir.path + "\\song 1.mml";
  const Bytes bytes = Song(3, 4000);
  WriteFileBytes(song, bytes);
  std::string clientRect = RectBytes({64, 64, 384, 304});
  int step = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileA(target.c_str());
    AppProcess app(song);
    bool targetAtFirstSight = false;
    HWND wnd = app.WaitForWindow([&] { targetAtFirstSight = Exists(target); });
    ASSERT_NE(wnd, nullptr);
    EXPECT_TRUE(targetAtFirstSight);
    EXPECT_EQ(app.Log(wnd), JobLog("song 1.mid", bytes));
    EXPECT_EQ(RectBytes(ScreenClientRect(wnd)), clientRect);
    ++step;
    UserMove(wnd, 100 + 40 * step, 80 + 30 * step);
    UserResizeClient(wnd, 300 + 50 * step, 200 + 20 * step);
    clientRect = RectBytes(ScreenClientRect(wnd));
    if (c.message) {
      PostMessageA(wnd, c.message, c.wParam, 0);
      EXPECT_EQ(app.WaitForExit(), 0u);
    } else {
      AttachThreadInput(GetCurrentThreadId(), app.info.dwThreadId, TRUE);
      PressCtrlKey(wnd, 'Q', [&] { EXPECT_EQ(app.WaitForExit(), 0u); });
      AttachThreadInput(GetCurrentThreadId(), app.info.dwThreadId, FALSE);
    }
    EXPECT_EQ(settings.Get("LastFile"), Padded(song));
    EXPECT_EQ(settings.Get("ClientRect"), clientRect);
  }
}

}  // namespace
