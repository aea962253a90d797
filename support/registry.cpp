#include "support/registry.h"

#include "support/debug.h"

namespace {

const char kAlreadyOpen[] =
    "[CPVRegistry::~CPVRegistry]すでに開いているレジストリを開こうとしました。\n";
const char kOpenFailed[] = "[CPVRegistry::CPVRegistry]レジストリのオープンに失敗しました。\n";
const char kNotClosed[] = "[CPVRegistry::~CPVRegistry]レジストリが閉じられていません。\n";

}  // namespace

CPVRegistry::CPVRegistry() : key(nullptr) {}

CPVRegistry::~CPVRegistry() {
  if (!key) return;
  PVDebugOut(kNotClosed);
  Close();
}

bool CPVRegistry::Open(const char* subKey, bool write, bool create, HKEY root) {
  if (key) {
    PVDebugOut(kAlreadyOpen);
    Close();
  }
  REGSAM access = write ? KEY_WRITE : KEY_READ;
  HKEY opened = nullptr;
  LONG status;
  if (create) {
    status = RegCreateKeyExA(root, subKey, 0, nullptr, 0, access, nullptr, &opened, nullptr);
  } else {
    status = RegOpenKeyExA(root, subKey, 0, access, &opened);
  }
  if (status != ERROR_SUCCESS) {
    PVDebugOut(kOpenFailed);
    return false;
  }
  key = opened;
  return true;
}

uint32_t CPVRegistry::Read(const char* name, void* buffer, uint32_t size) {
  if (!key) return 0;
  DWORD count = size;
  LONG status = RegQueryValueExA(key, name, nullptr, nullptr, static_cast<BYTE*>(buffer), &count);
  if (status != ERROR_SUCCESS) return 0;
  return count;
}

bool CPVRegistry::Write(const char* name, uint32_t type, const void* data, uint32_t size) {
  if (!key) return false;
  return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

void CPVRegistry::Close() {
  if (!key) return;
  RegCloseKey(key);
  key = nullptr;
}
