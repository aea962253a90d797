// TRELVIO.exe as a process of its own: started with or without a file on its
// command line, its window found, its log read from its memory, and its end
// awaited. Every wait has a time limit; a program still running when the
// object goes is ended through its process handle.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "tests/app/app_test_support.h"

const DWORD kStillRunning = STILL_ACTIVE;

class AppProcess {
 public:
  // Starts the program; a non-empty argument goes on its command line quoted.
  explicit AppProcess(const std::string& argument = std::string());
  ~AppProcess();
  AppProcess(const AppProcess&) = delete;
  AppProcess& operator=(const AppProcess&) = delete;

  bool Started() const { return info_.hProcess != nullptr; }
  DWORD ThreadId() const { return info_.dwThreadId; }

  // Polls until the program's main window is visible; atFirstSight runs at
  // the first moment it is seen so. Returns the window, null after limitMs.
  HWND WaitForWindow(DWORD limitMs, const std::function<void()>& atFirstSight = nullptr);

  // What the program's window object holds (its window must have been found).
  LogLines ReadLog() const;
  std::string ReadLastFile() const;

  // The exit code, or kStillRunning when limitMs passed (the program is then
  // ended).
  DWORD WaitForExit(DWORD limitMs);

 private:
  bool Read(std::ptrdiff_t offset, void* buffer, size_t size) const;
  bool ReadAt(const void* address, void* buffer, size_t size) const;

  PROCESS_INFORMATION info_;
  HWND wnd_ = nullptr;
};

// The path of TRELVIO.exe, beside trelvio-cli.exe in the build's bin folder.
std::string ProgramPath();
