// Helpers for the window program's suites: its window object with its state
// readable, a folder of scratch files, songs to convert, the message loop
// run under a time limit, the control key, and a drop as the shell makes it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/main_win.h"

// The program's registry subkey, where "LastFile" and "ClientRect" live.
extern const char kProgramSubKey[];

// The lines a log holds, oldest first; the last one is the current line.
typedef std::vector<std::string> LogLines;

// Rebuilds the lines from a line store and its two cursors.
LogLines LinesOfStore(const char* store, int curLine, int lineCount);

// CMainWin with read access to the state the tests look at.
class MainWinProbe : public CMainWin {
 public:
  using CMainWin::CMainWin;

  LogLines Log() const;
  // All 260 bytes of lastFile.
  std::string LastFileBytes() const { return std::string(lastFile, kPathSize); }
  HACCEL Accel() const { return accel; }

  // Where the members that hold the log and lastFile sit, counted from the
  // address the window's user-data slot holds, so another process's window
  // can be read (both programs are built from the same classes).
  struct Layout {
    std::ptrdiff_t lines;
    std::ptrdiff_t curLine;
    std::ptrdiff_t lineCount;
    std::ptrdiff_t lastFile;
  };
  static Layout MemberLayout();
};

// The bytes a successful conversion of a file names: its path, zero-padded to
// the 260 bytes of lastFile.
std::string PaddedPath(const std::string& path);

// A folder of its own under the temporary folder; removed with its files.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // The full path of a file in the folder.
  std::string Path(const std::string& name) const;
  void Write(const std::string& name, const std::vector<unsigned char>& bytes) const;
  bool Has(const std::string& name) const;
  // The names of the files in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string folder_;  // ends in a backslash
};

// A song of one tempo track and `parts` tracks of notes (format 1).
std::vector<unsigned char> SongBytes(int parts);
// The log of a successful conversion of such a song named `fileName`.
LogLines SongLog(const std::string& fileName, int parts);
// Bytes that are not a Standard MIDI File, and the log of trying them.
std::vector<unsigned char> BrokenBytes();
LogLines BrokenLog(const std::string& fileName);

// Runs a message loop (the window's, or a modal dialog's) while every 20 ms
// `tick` runs inside it and any modal loop it enters. After limitMs the loop
// is ended with the quit code kTimedOut.
const int kTimedOut = 0x7E57;
int RunWatched(const std::function<int()>& loop, const std::function<void()>& tick,
               DWORD limitMs);
inline int RunWatched(CPVWinMain& win, const std::function<void()>& tick, DWORD limitMs) {
  return RunWatched([&win] { return win.Run(); }, tick, limitMs);
}

// Holds the control key down in the thread's key state (shared with the
// threads attached to it) while it lives.
class ControlKeyDown {
 public:
  ControlKeyDown();
  ~ControlKeyDown();

 private:
  BYTE saved_[256];
};

// Posts the key-down message of a letter key, as the keyboard would.
void PostLetterKey(HWND wnd, char letter);

// A dropped-files block as the shell builds it: a moveable zero-filled
// global block, the DROPFILES header, then the ANSI paths, each
// NUL-terminated, and a final NUL.
HGLOBAL DropBlock(const std::vector<std::string>& paths);

// A top-level dialog of the thread's or another process's, by title.
HWND FindDialog(const char* title);

// What a user's drag does to a window: a moving notice and the move; a sizing
// notice and the new size of the client area.
void UserMove(HWND wnd, int x, int y);
void UserResizeClient(HWND wnd, int width, int height);
