// The window program: CMainWin driven through its message loop here, and
// TRELVIO.exe as a process of its own, both under a settings subkey of the test's.
#include <gtest/gtest.h>
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <memory>

#include "app/main_win.h"
#include "app/resource.h"
#include "job/job_messages.h"
#include "tests/kit/harness.h"
#include "tests/win/win_test_support.h"

namespace {

const DWORD kLimitMs = 20000;

// The program's window; with recordPaints set, it keeps the log as each paint finds it.
class MainWinProbe : public LogProbeOf<CMainWin> {
 public:
  using LogProbeOf<CMainWin>::LogProbeOf;
  bool recordPaints = false;
  Lines painted;
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PAINT && recordPaints) painted.push_back(Text());
    return LogProbeOf<CMainWin>::WindowProc(hwnd, message, wParam, lParam);
  }
};
typedef std::vector<std::wstring> WideLines;

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

// The log of a job on `bytes` named `name`, or of its refusal before any file was opened.
std::string JobLog(const std::string& name, const Bytes& bytes, const char* refusal = nullptr) {
  const std::string request = name + "->" + name.substr(0, name.find('.')) + ".mml\n";
  if (refusal) return request + refusal + msg::kConversionFailed;
  const Conversion c = RunConverter(bytes);
  return request + c.log + (c.result ? msg::kConversionSucceeded : msg::kConversionFailed);
}

// A source path as "LastFile" holds it: zero-padded to 260 bytes.
std::string Padded(const std::string& path) {
  return path + std::string(CMainWin::kPathSize - path.size(), '\0');
}

std::wstring Wide(const std::string& text) {  // never more characters than bytes
  std::wstring wide(text.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], wide.size()) - 1);
  return wide;
}

// Posts Ctrl+letter, the control key held (also for attached threads) during `wait`.
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

// A drop as the shell builds it: DROPFILES, then UTF-16 paths each ended by a NUL, and a NUL.
HGLOBAL DropBlock(const WideLines& paths) {
  std::wstring text;
  for (const std::wstring& path : paths) text += path + L'\0';
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + (text.size() + 1) * sizeof(wchar_t));
  DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  text.copy(reinterpret_cast<wchar_t*>(header + 1), text.size());
  GlobalUnlock(block);
  return block;
}

// A new window as WinMain sets it up, once the previous one has gone.
bool Restart(std::unique_ptr<MainWinProbe>& win, const RegKey& settings) {
  win.reset();
  UnregisterClassA("TRELVIO", GetModuleHandleA(nullptr));
  win.reset(new MainWinProbe(GetModuleHandleA(nullptr), settings.path()));
  WindowParam param = MainWinParam(SW_SHOWNORMAL);
  return win->Init(&param) != 0;
}

// Drops the paths on the window and runs its loop until the drop is done.
void Drop(MainWinProbe& win, const WideLines& paths) {
  PostMessageA(win.GetWnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock(paths)), 0);
  PostQuitMessage(0);
  win.Run();
}

std::function<void()> onTick;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { onTick(); }

// Runs the loop until the dialog `title` has opened, gone to `handle` and closed.
bool HandleDialog(CPVWinMain& win, const char* title, const std::function<void(HWND)>& handle) {
  HWND dialog = nullptr;
  const DWORD start = GetTickCount();
  onTick = [&] {
    const bool late = GetTickCount() - start > kLimitMs;
    if (late || (dialog && !IsWindow(dialog))) PostQuitMessage(late ? 1 : 0);
    if (late || dialog) return;
    dialog = FindWindowA(MAKEINTATOM(32770), title);
    if (dialog) handle(dialog);
  };
  UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
  int code = win.Run();
  KillTimer(nullptr, timer);
  return code == 0 && dialog;
}

// Each item of the menu and its popups has a mnemonic no other item of its menu shares.
void ExpectMnemonics(HMENU menu) {
  std::string letters;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[64] = {};
    if (!GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION)) continue;  // a separator
    const char* mark = std::strchr(text, '&');
    ASSERT_TRUE(mark && std::isalpha(static_cast<unsigned char>(mark[1]))) << text;
    EXPECT_EQ(letters.find(static_cast<char>(std::toupper(mark[1]))), std::string::npos) << text;
    letters += static_cast<char>(std::toupper(mark[1]));
    if (HMENU popup = GetSubMenu(menu, i)) ExpectMnemonics(popup);
  }
}

// A drop's files are converted and painted one by one, in order; a path over 259
// bytes or one code page 932 cannot spell is refused, none stopping the next.
// In the next window Ctrl+O opens on the last file, Cancel logs nothing; About is centred.
TEST(MainWin, DropsOpenDialogAndAboutBox) {
  RegKey settings;
  ScratchDir dir;
  std::unique_ptr<MainWinProbe> win;
  // A folder name that makes its "d.mid" a path of 259 bytes.
  const std::string deep(259 - dir.path.size() - 7, 'n');
  CreateDirectoryA((dir.path + "\\" + deep).c_str(), nullptr);
  struct Dropped { std::string folder, name; Bytes bytes; const wchar_t* wideName; const char* refusal; };
  const Dropped dropped[] = {
      {"", "a.mid", Song(1), nullptr, nullptr},
      {"", "b.mid", Bytes(20, 'x'), nullptr, nullptr},
      {deep + "\\", "d.mid", Song(1), nullptr, nullptr},
      {deep + "\\", "dd.mid", Song(1), nullptr, AnsiPathRefusal(kAnsiPathTooLong)},
      {"", "caf?.mid", Song(1), L"caf\u00e9.mid", AnsiPathRefusal(kAnsiPathUnspellable)},
      {"", GetACP() == 932 ? "表.mid" : "c.mid", Song(2), nullptr, nullptr},
  };
  WideLines paths;
  Lines logs;  // after each file
  std::string log, lastPath;
  for (const Dropped& d : dropped) {
    const std::string path = dir.path + "\\" + d.folder + d.name;
    if (!d.refusal) WriteFileBytes(path, d.bytes);
    paths.push_back(d.wideName ? Wide(dir.path + "\\") + d.wideName : Wide(path));
    logs.push_back(log += JobLog(d.name, d.bytes, d.refusal));
    if (!d.refusal && RunConverter(d.bytes).result) lastPath = path;
  }
  ASSERT_TRUE(Restart(win, settings));
  EXPECT_TRUE(GetWindowLongA(win->GetWnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_EQ(GetClassLongA(win->GetWnd(), GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW),
            static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW));
  ExpectMnemonics(GetMenu(win->GetWnd()));
  win->recordPaints = true;
  Drop(*win, paths);
  EXPECT_EQ(win->Text(), log);
  auto seen = win->painted.begin();
  for (const std::string& shown : logs) seen = std::find(seen, win->painted.end(), shown);
  EXPECT_NE(seen, win->painted.end()) << "a file's log was not painted before the next one's";

  ASSERT_TRUE(Restart(win, settings));
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
  EXPECT_EQ(shown, lastPath);
  EXPECT_EQ(win->Text(), "");

  struct Case { const char* what; void (*close)(HWND dialog); };
  const Case cases[] = {
      {"OK", [](HWND d) { SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }},
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
  EXPECT_EQ(settings.Get("LastFile"), Padded(lastPath));
}

// Options > Keep notes: shown as a check mark, used by the conversions of a
// drop, and kept across a restart.
TEST(MainWin, KeepNotesIsAnOptionKeptAcrossRestarts) {
  RegKey settings;
  ScratchDir dir;
  TrackBuilder chords;
  chords.NoteOn(0, 60).NoteOn(0, 64).NoteOff(480, 60).NoteOff(480, 64).Note(480, 960, 67);
  const Bytes song = SmfFile(480, {chords});
  WriteFileBytes(dir.path + "\\c.mid", song);
  std::unique_ptr<MainWinProbe> win;
  auto checked = [&] {
    return (GetMenuState(GetMenu(win->GetWnd()), IDM_KEEP_NOTES, MF_BYCOMMAND) & MF_CHECKED) != 0;
  };
  auto toggle = [&] {
    PostMessageA(win->GetWnd(), WM_COMMAND, IDM_KEEP_NOTES, 0);
    PostQuitMessage(0);
    win->Run();
  };
  ASSERT_TRUE(Restart(win, settings));
  EXPECT_FALSE(checked());
  toggle();
  EXPECT_TRUE(checked());
  Drop(*win, {Wide(dir.path + "\\c.mid")});
  const std::string kept = RunConverter(song, kMaxPiecesPerPass, true, true).mml;
  EXPECT_NE(kept, RunConverter(song).mml);
  EXPECT_EQ(ReadFileText(dir.path + "\\c.mml"), kept);
  ASSERT_TRUE(Restart(win, settings));
  EXPECT_EQ(settings.Get("KeepNotes"), std::string("\1\0\0\0", 4));
  EXPECT_TRUE(checked());
  toggle();
  EXPECT_FALSE(checked());
  win.reset();
  EXPECT_EQ(settings.Get("KeepNotes"), std::string(4, '\0'));
}

// A program of build-win/bin started in `folder` (empty: the test program's), ended with the object.
struct AppProcess {
  AppProcess(const char* program, const std::string& arguments, const std::string& folder = "") {
    char self[MAX_PATH];
    std::string line(self, GetModuleFileNameA(nullptr, self, sizeof self));
    line = "\"" + line.substr(0, line.rfind('\\') + 1) + TRELVIO_PROGRAMS_FROM_TESTS + "\\" +
           program + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    CreateProcessA(nullptr, &line[0], nullptr, nullptr, 0, 0, nullptr,
                   folder.empty() ? nullptr : folder.c_str(), &startup, &info);
  }
  ~AppProcess() {
    TerminateProcess(info.hProcess, STILL_ACTIVE);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  DWORD WaitForExit() const {  // STILL_ACTIVE after the time limit
    DWORD code = STILL_ACTIVE;
    WaitForSingleObject(info.hProcess, kLimitMs);
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  PROCESS_INFORMATION info = {};
};

// The file argument ('/' taken as '\') is converted before the window first shows.
// Closing ends with 0 and stores "LastFile" with backslashes and, as "ClientRect",
// the area after a snap (no WM_SIZING) or a maximize (kept while minimized).
TEST(AppProcess, ConvertsItsArgumentBeforeShowingAndKeepsItsSettings) {
  struct Case { const char* what; bool slashes, maximizeThenMinimize; };
  const Case cases[] = {{"close box", false, true}, {"Ctrl+Q", true, false}};
  RegKey settings;
  SetEnvironmentVariableA("TRELVIO_SETTINGS_KEY", settings.path());
  ScratchDir dir;
  const std::string song = dir.path + "\\song 1.mid", target = dir.path + "\\song 1.mml";
  std::string slashed = song;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  WriteFileBytes(song, Song(3, 4000));
  std::string clientRect = RectBytes({64, 64, 384, 304});
  int step = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileA(target.c_str());
    AppProcess app("TRELVIO.exe", "\"" + (c.slashes ? slashed : song) + "\"");
    HWND wnd = nullptr;
    for (DWORD start = GetTickCount(); !IsWindowVisible(wnd) && GetTickCount() - start < kLimitMs;
         Sleep(1))
      wnd = FindWindowA("TRELVIO", nullptr);
    EXPECT_NE(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);  // at first sight
    ASSERT_TRUE(IsWindowVisible(wnd));
    EXPECT_EQ(RectBytes(ScreenClientRect(wnd)), clientRect);
    ++step;
    UserMove(wnd, 100 + 40 * step, 80 + 30 * step);
    if (c.maximizeThenMinimize) ShowWindow(wnd, SW_MAXIMIZE);
    else UserResizeClient(wnd, 300 + 50 * step, 200 + 20 * step, false);
    clientRect = RectBytes(ScreenClientRect(wnd));
    if (c.maximizeThenMinimize) {
      ShowWindow(wnd, SW_MINIMIZE);
      PostMessageA(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
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
