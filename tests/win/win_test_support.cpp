#include "tests/win/win_test_support.h"

#include <cstdio>

namespace {

std::vector<std::string>& CapturedLines() {
  static std::vector<std::string> lines;
  return lines;
}

void CaptureOutput(const char* text) { CapturedLines().push_back(text); }

}  // namespace

DebugCapture::DebugCapture() : methods_(*PVOsPlatform()) {
  CapturedLines().clear();
  methods_.debugOutput = CaptureOutput;
  previous_ = PVOsSwap(&methods_);
}

DebugCapture::~DebugCapture() { PVOsSwap(previous_); }

const std::vector<std::string>& DebugCapture::lines() const { return CapturedLines(); }

ScratchSubKey::ScratchSubKey() {
  static int counter = 0;
  char name[96];
  std::snprintf(name, sizeof(name), "Software\\TrelvioTest-%lu-%d",
                static_cast<unsigned long>(GetCurrentProcessId()), counter++);
  path_ = name;
  RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
}

ScratchSubKey::~ScratchSubKey() { RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str()); }

bool ScratchSubKey::Exists() const {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

void ScratchSubKey::Set(const char* name, DWORD type, const void* data, DWORD size) const {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

std::string ScratchSubKey::Get(const char* name, DWORD* type) const {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::string();
  char data[1024];
  DWORD size = sizeof(data);
  DWORD valueType = REG_NONE;
  LONG status = RegQueryValueExA(key, name, nullptr, &valueType, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (type) *type = valueType;
  return status == ERROR_SUCCESS ? std::string(data, size) : std::string();
}

bool ScratchSubKey::Has(const char* name) const {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  LONG status = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

void ScratchSubKey::Remove(const char* name) const {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

std::string UniqueClassName() {
  static int counter = 0;
  return "TrelvioTestClass" + std::to_string(counter++);
}

bool TakeQuit(int* code) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
  if (code) *code = static_cast<int>(msg.wParam);
  return true;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, WM_QUIT - 1, PM_REMOVE) ||
         PeekMessageA(&msg, nullptr, WM_QUIT + 1, 0xFFFFFFFF, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

RECT ScreenClientRect(HWND wnd) {
  RECT r;
  GetClientRect(wnd, &r);
  POINT origin = {0, 0};
  ClientToScreen(wnd, &origin);
  OffsetRect(&r, origin.x, origin.y);
  return r;
}

std::string RectText(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof(text), "(%ld,%ld,%ld,%ld)", static_cast<long>(r.left),
                static_cast<long>(r.top), static_cast<long>(r.right), static_cast<long>(r.bottom));
  return text;
}
