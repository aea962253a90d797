#include "tests/app/app_process.h"

#include <cstring>
#include <vector>

std::string ProgramPath() {
  char self[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path(self, length);
  return path.substr(0, path.rfind('\\') + 1) + TRELVIO_EXE_FROM_TESTS;
}

AppProcess::AppProcess(const std::string& argument) {
  std::memset(&info_, 0, sizeof info_);
  std::string line = "\"" + ProgramPath() + "\"";
  if (!argument.empty()) line += " \"" + argument + "\"";
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info_)) {
    std::memset(&info_, 0, sizeof info_);
  }
}

AppProcess::~AppProcess() {
  if (!Started()) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, kStillRunning);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

HWND AppProcess::WaitForWindow(DWORD limitMs, const std::function<void()>& atFirstSight) {
  DWORD start = GetTickCount();
  while (Started() && GetTickCount() - start < limitMs) {
    for (HWND wnd = FindWindowExA(nullptr, nullptr, "TRELVIO", "TRELVIO"); wnd;
         wnd = FindWindowExA(nullptr, wnd, "TRELVIO", "TRELVIO")) {
      DWORD owner = 0;
      GetWindowThreadProcessId(wnd, &owner);
      if (owner != info_.dwProcessId || !IsWindowVisible(wnd)) continue;
      if (atFirstSight) atFirstSight();
      wnd_ = wnd;
      return wnd;
    }
    if (WaitForSingleObject(info_.hProcess, 1) != WAIT_TIMEOUT) return nullptr;
  }
  return nullptr;
}

bool AppProcess::ReadAt(const void* address, void* buffer, size_t size) const {
  SIZE_T done = 0;
  return ReadProcessMemory(info_.hProcess, address, buffer, size, &done) && done == size;
}

// The window's user-data slot holds the address of the window object.
bool AppProcess::Read(std::ptrdiff_t offset, void* buffer, size_t size) const {
  if (!wnd_) return false;
  const char* object = reinterpret_cast<const char*>(GetWindowLongA(wnd_, GWL_USERDATA));
  return object && ReadAt(object + offset, buffer, size);
}

LogLines AppProcess::ReadLog() const {
  const MainWinProbe::Layout layout = MainWinProbe::MemberLayout();
  const char* lines = nullptr;
  int curLine = 0;
  int lineCount = 0;
  if (!Read(layout.lines, &lines, sizeof lines) || !lines ||
      !Read(layout.curLine, &curLine, sizeof curLine) ||
      !Read(layout.lineCount, &lineCount, sizeof lineCount))
    return LogLines();
  std::vector<char> store(CPVLogWin::kRingLines * CPVLogWin::kSlotSize);
  if (!ReadAt(lines, store.data(), store.size())) return LogLines();
  return LinesOfStore(store.data(), curLine, lineCount);
}

std::string AppProcess::ReadLastFile() const {
  char lastFile[CMainWin::kPathSize];
  if (!Read(MainWinProbe::MemberLayout().lastFile, lastFile, sizeof lastFile)) return std::string();
  return std::string(lastFile, sizeof lastFile);
}

DWORD AppProcess::WaitForExit(DWORD limitMs) {
  if (!Started()) return kStillRunning;
  if (WaitForSingleObject(info_.hProcess, limitMs) != WAIT_OBJECT_0) {
    TerminateProcess(info_.hProcess, kStillRunning);
    WaitForSingleObject(info_.hProcess, 5000);
    return kStillRunning;
  }
  DWORD code = kStillRunning;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}
