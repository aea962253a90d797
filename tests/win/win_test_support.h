// Helpers for the Windows suites: catching the debugger channel, scratch
// registry subkeys, unique class names and the thread's message queue.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/os.h"

// Collects every debugger-channel line while it lives, in place of the
// platform's output; the platform's table is back afterwards.
class DebugCapture {
 public:
  DebugCapture();
  ~DebugCapture();
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;
  const std::vector<std::string>& lines() const;

 private:
  PVOsMethods methods_;
  const PVOsMethods* previous_;
};

// A subkey of its own under HKEY_CURRENT_USER\Software, deleted with its
// values at the end. It does not exist until something creates it.
class ScratchSubKey {
 public:
  ScratchSubKey();
  ~ScratchSubKey();
  const char* path() const { return path_.c_str(); }
  bool Exists() const;
  // Stores a value directly through the platform.
  void Set(const char* name, DWORD type, const void* data, DWORD size) const;
  // The value's bytes as the platform holds them; *type gets its type.
  std::string Get(const char* name, DWORD* type = nullptr) const;
  bool Has(const char* name) const;
  void Remove(const char* name) const;

 private:
  std::string path_;
};

// A window class name no other test of this process uses.
std::string UniqueClassName();
// Removes a pending quit message; returns whether there was one and its code.
bool TakeQuit(int* code = nullptr);
// Dispatches whatever is waiting in the thread's queue, leaving a quit alone.
void Pump();
// The client area of a window in screen coordinates, asked of the platform.
RECT ScreenClientRect(HWND wnd);
std::string RectText(const RECT& r);
