#include "tests/app/app_test_support.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "converter/messages.h"
#include "tests/support/midi_builder.h"

const char kProgramSubKey[] = "Software\\Holven\\TRELVIO";

namespace {

// Splits log text into lines as the log shows them; a text ending in a line
// feed leaves an empty current line.
LogLines Split(const std::string& text) {
  LogLines lines(1);
  for (char c : text) {
    if (c == '\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// A job's lines without the empty current line that follows them.
LogLines JobLines(const std::string& text) {
  LogLines lines = Split(text);
  lines.pop_back();
  return lines;
}

std::string RequestLine(const std::string& fileName) {
  return fileName.substr(0, fileName.find('.')) + ".mml";
}

}  // namespace

LogLines LinesOfStore(const char* store, int curLine, int lineCount) {
  LogLines lines;
  const int ring = CPVLogWin::kRingLines;
  int oldest = ((curLine - lineCount + 1) % ring + ring) % ring;
  for (int i = 0; i < lineCount; ++i) {
    const char* slot = store + ((oldest + i) % ring) * CPVLogWin::kSlotSize;
    lines.emplace_back(slot, strnlen(slot, CPVLogWin::kColumns));
  }
  return lines;
}

LogLines MainWinProbe::Log() const {
  if (!lines) return LogLines();
  return LinesOfStore(lines, curLine, lineCount);
}

MainWinProbe::Layout MainWinProbe::MemberLayout() {
  MainWinProbe probe(GetModuleHandleA(nullptr));
  const char* base = reinterpret_cast<const char*>(static_cast<const CPVWinMain*>(&probe));
  Layout layout;
  layout.lines = reinterpret_cast<const char*>(&probe.lines) - base;
  layout.curLine = reinterpret_cast<const char*>(&probe.curLine) - base;
  layout.lineCount = reinterpret_cast<const char*>(&probe.lineCount) - base;
  layout.lastFile = reinterpret_cast<const char*>(probe.lastFile) - base;
  return layout;
}

std::string PaddedPath(const std::string& path) {
  std::string bytes = path;
  bytes.resize(CMainWin::kPathSize, '\0');
  return bytes;
}

ScratchFolder::ScratchFolder() {
  static int counter = 0;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  char name[MAX_PATH + 64];
  std::snprintf(name, sizeof name, "%strelvio-app-%lu-%d\\", temp,
                static_cast<unsigned long>(GetCurrentProcessId()), counter++);
  folder_ = name;
  CreateDirectoryA(folder_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  for (const std::string& name : Names()) DeleteFileA(Path(name).c_str());
  RemoveDirectoryA(folder_.c_str());
}

std::string ScratchFolder::Path(const std::string& name) const { return folder_ + name; }

void ScratchFolder::Write(const std::string& name, const std::vector<unsigned char>& bytes) const {
  FILE* file = std::fopen(Path(name).c_str(), "wb");
  if (!file) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

bool ScratchFolder::Has(const std::string& name) const {
  return GetFileAttributesA(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ScratchFolder::Names() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(Path("*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<unsigned char> SongBytes(int parts) {
  std::vector<TrackBuilder> tracks(1);
  tracks[0].Tempo(0, 500000).Meter(0, 4, 2).EndOfTrack(1920);
  for (int part = 0; part < parts; ++part) {
    TrackBuilder notes;
    notes.Note(0, 480, 60 + part).Note(480, 1440, 64 + part).EndOfTrack(1920);
    tracks.push_back(notes);
  }
  return SmfFile(480, tracks);
}

LogLines SongLog(const std::string& fileName, int parts) {
  std::string text = fileName + "->" + RequestLine(fileName) + "\n";
  char track[32];
  std::snprintf(track, sizeof track, msg::kTrackFormat, 1);
  text += std::string(track) + msg::kSilentTrack;
  for (int part = 0; part < parts; ++part) {
    std::snprintf(track, sizeof track, msg::kTrackFormat, part + 2);
    text += track;
  }
  return JobLines(text + msg::kConversionSucceeded);
}

std::vector<unsigned char> BrokenBytes() {
  const char text[] = "this is not a song";
  return std::vector<unsigned char>(text, text + sizeof text - 1);
}

LogLines BrokenLog(const std::string& fileName) {
  return JobLines(fileName + "->" + RequestLine(fileName) + "\n" + msg::kNotSmf +
                  msg::kConversionFailed);
}

namespace {

std::function<void()> watchedTick;
DWORD watchedDeadline = 0;
bool watchedExpired = false;

void CALLBACK WatchTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (watchedExpired) return;
  if (static_cast<LONG>(GetTickCount() - watchedDeadline) >= 0) {
    watchedExpired = true;
    PostQuitMessage(kTimedOut);
    return;
  }
  if (watchedTick) watchedTick();
}

}  // namespace

int RunWatched(const std::function<int()>& loop, const std::function<void()>& tick,
               DWORD limitMs) {
  watchedTick = tick;
  watchedDeadline = GetTickCount() + limitMs;
  watchedExpired = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 20, WatchTimer);
  int code = loop();
  KillTimer(nullptr, timer);
  watchedTick = nullptr;
  return code;
}

ControlKeyDown::ControlKeyDown() {
  GetKeyboardState(saved_);
  BYTE keys[256];
  std::memcpy(keys, saved_, sizeof keys);
  keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
  SetKeyboardState(keys);
}

ControlKeyDown::~ControlKeyDown() { SetKeyboardState(saved_); }

void PostLetterKey(HWND wnd, char letter) {
  UINT scan = MapVirtualKeyA(static_cast<UINT>(letter), 0);
  PostMessageA(wnd, WM_KEYDOWN, static_cast<WPARAM>(letter), 1 | (scan << 16));
}

HGLOBAL DropBlock(const std::vector<std::string>& paths) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& path : paths) size += path.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, size);
  DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = FALSE;
  char* text = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
  for (const std::string& path : paths) {
    std::memcpy(text, path.c_str(), path.size() + 1);
    text += path.size() + 1;
  }
  *text = '\0';
  GlobalUnlock(block);
  return block;
}

HWND FindDialog(const char* title) { return FindWindowA(MAKEINTATOM(32770), title); }

void UserMove(HWND wnd, int x, int y) {
  RECT r;
  GetWindowRect(wnd, &r);
  OffsetRect(&r, x - r.left, y - r.top);
  SendMessageA(wnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
  SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void UserResizeClient(HWND wnd, int width, int height) {
  RECT window, client;
  GetWindowRect(wnd, &window);
  GetClientRect(wnd, &client);
  int frameWidth = (window.right - window.left) - client.right;
  int frameHeight = (window.bottom - window.top) - client.bottom;
  RECT dragged = {window.left, window.top, window.left + width + frameWidth,
                  window.top + height + frameHeight};
  SendMessageA(wnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&dragged));
  SetWindowPos(wnd, nullptr, 0, 0, dragged.right - dragged.left, dragged.bottom - dragged.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
