#include "tests/win/win_test_support.h"

#include <shlwapi.h>

#include <cstdio>
#include <deque>

RegKey::RegKey() {
  static int counter = 0;
  path_ = "Software\\TrelvioTest-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(counter++);
  SHDeleteKeyA(HKEY_CURRENT_USER, path());
}

RegKey::~RegKey() { SHDeleteKeyA(HKEY_CURRENT_USER, path()); }

void RegKey::Set(const char* name, DWORD type, const void* data, DWORD size) const {
  SHSetValueA(HKEY_CURRENT_USER, path(), name, type, data, size);
}

std::string RegKey::Get(const char* name) const {
  char data[1024];
  DWORD size = sizeof data;
  LONG status = SHGetValueA(HKEY_CURRENT_USER, path(), name, nullptr, data, &size);
  return status == ERROR_SUCCESS ? std::string(data, size) : "";
}

WindowParam PopupParam(RECT clientArea, DWORD style) {
  static std::deque<std::string> classNames;
  classNames.push_back("TrelvioTest" + std::to_string(classNames.size()));
  WindowParam p = {};
  p.className = classNames.back().c_str();
  p.rect = clientArea;
  p.style = style;
  return p;
}

void UserMove(HWND wnd, int x, int y) {
  RECT r;
  GetWindowRect(wnd, &r);
  OffsetRect(&r, x - r.left, y - r.top);
  SendMessageA(wnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
  SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void UserResizeClient(HWND wnd, int width, int height, bool sizingNotice) {
  RECT r, client;
  GetWindowRect(wnd, &r);
  GetClientRect(wnd, &client);
  r.right += width - client.right;
  r.bottom += height - client.bottom;
  if (sizingNotice) SendMessageA(wnd, WM_SIZING, 0, reinterpret_cast<LPARAM>(&r));
  SetWindowPos(wnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT ScreenClientRect(HWND wnd) {
  RECT r;
  GetClientRect(wnd, &r);
  MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string RectText(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "(%ld,%ld,%ld,%ld)", r.left, r.top, r.right, r.bottom);
  return text;
}

std::string RectBytes(const RECT& r) {
  const int32_t fields[4] = {r.left, r.top, r.right, r.bottom};
  return std::string(reinterpret_cast<const char*>(fields), sizeof fields);
}
