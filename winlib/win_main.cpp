// CPVWinMain: construction, the set-up chain from Init to Update, the message
// loop and the registry subkey of the window.
#include "winlib/win_main.h"

#include <cstring>

#include "support/debug.h"
#include "support/registry.h"

namespace {

const char kSubKeyTooLong[] =
    "[CPVWinMain::SetRegSubKey]レジストリのサブキーが最大値より長く設定されています。\n";
const char kClassNameTooLong[] =
    "[CPVWinMain::Regist]ウィンドウクラス名が最大値より長く設定されています。\n";
const char kClassNotRegistered[] =
    "[CPVWinMain::Regist]ウィンドウクラスの登録ができませんでした。\n";
const char kNoClass[] = "[CPVWinMain::Create]ウィンドウクラスが登録されていません。\n";
const char kTitleTooLong[] =
    "[CPVWinMain::Create]ウィンドウ名が最大値より長く設定されています。\n";
const char kCreateFailed[] = "[CPVWinMain::Create]ウィンドウの作成に失敗しました。\n";
const char kShowNoWindow[] = "[CPVWinMain::Show]ウィンドウが作成されていません。\n";
const char kUpdateNoWindow[] = "[CPVWinMain::Update]ウィンドウが作成されていません。\n";

const char kDefaultSubKey[] = "Software\\HOLVEN\\PavoApplications";
const char kDefaultName[] = "PavoApplications";

// The record Init uses when it is given none: an overlapped window with a
// 320 by 240 client area at screen point 64, 64.
const WindowParam kDefaultParam = {
    nullptr, CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    {64, 64, 384, 304},
    WS_OVERLAPPEDWINDOW, 0, SW_SHOW, nullptr,
};

// Copies text into a 64-byte field when it fits with its terminator.
bool CopyText(char* field, const char* text) {
  size_t length = std::strlen(text);
  if (length >= static_cast<size_t>(CPVWinMain::kTextSize)) return false;
  std::memcpy(field, text, length + 1);
  return true;
}

}  // namespace

CPVWinMain* CPVWinMain::mainWin = nullptr;

CPVWinMain::CPVWinMain()
    : instance(nullptr), wnd(nullptr), hasMenu(0), accel(nullptr), accelOn(1),
      moving(0), sized(0), maximized(0), windowRect(), clientRect(),
      clientWidth(0), clientHeight(0), frameWidth(0), frameHeight(0), frameOffset(),
      minWidth(-1), minHeight(-1), maxWidth(-1), maxHeight(-1), stepWidth(0), stepHeight(0),
      parent(nullptr) {
  CopyText(regSubKey, kDefaultSubKey);
  CopyText(className, kDefaultName);
  CopyText(title, kDefaultName);
}

// The window is destroyed before the object; class and accelerators stay
// with the platform until the process ends.
CPVWinMain::~CPVWinMain() {}

CPVWinMain* CPVWinMain::GetMainWin() { return mainWin; }

BOOL CPVWinMain::Init(const WindowParam* param) {
  WindowParam own = param ? *param : kDefaultParam;
  if (!PreRegist(&own)) return FALSE;
  if (!Regist(&own)) return FALSE;
  if (!Create(&own)) return FALSE;
  if (!PostCreate()) return FALSE;
  Show(own.showCmd);
  Update();
  return TRUE;
}

BOOL CPVWinMain::PreRegist(WindowParam* param) {
  if (!param->icon) param->icon = LoadIconA(nullptr, IDI_APPLICATION);
  if (!param->cursor) param->cursor = LoadCursorA(nullptr, IDC_ARROW);
  if (!param->background) param->background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  return TRUE;
}

BOOL CPVWinMain::Regist(const WindowParam* param) {
  if (param->className && !CopyText(className, param->className)) {
    PVDebugOut(kClassNameTooLong);
    return FALSE;
  }
  hasMenu = param->menuName != nullptr;
  WNDCLASSEXA wc;
  wc.cbSize = sizeof(wc);
  wc.style = param->classStyle;
  wc.lpfnWndProc = Procedure;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = instance;
  wc.hIcon = param->icon;
  wc.hCursor = param->cursor;
  wc.hbrBackground = param->background;
  wc.lpszMenuName = param->menuName;
  wc.lpszClassName = className;
  wc.hIconSm = param->smallIcon ? param->smallIcon : param->icon;
  if (!RegisterClassExA(&wc)) {
    PVDebugOut(kClassNotRegistered);
    return FALSE;
  }
  return TRUE;
}

BOOL CPVWinMain::Create(WindowParam* param) {
  if (className[0] == '\0') {
    PVDebugOut(kNoClass);
    return FALSE;
  }
  if (param->title && !CopyText(title, param->title)) {
    PVDebugOut(kTitleTooLong);
    return FALSE;
  }
  // The wanted client area leaves the scroll bars out; they come on top.
  if (param->style & WS_HSCROLL) param->rect.bottom += GetSystemMetrics(SM_CYHSCROLL);
  if (param->style & WS_VSCROLL) param->rect.right += GetSystemMetrics(SM_CXVSCROLL);
  RECT adjusted = param->rect;
  AdjustWindowRectEx(&adjusted, param->style, hasMenu, param->exStyle);
  HWND parentWnd = param->parent ? param->parent->GetWnd() : nullptr;
  wnd = CreateWindowExA(param->exStyle, className, title, param->style, adjusted.left,
                        adjusted.top, adjusted.right - adjusted.left,
                        adjusted.bottom - adjusted.top, parentWnd, nullptr, instance, nullptr);
  if (!wnd) {
    PVDebugOut(kCreateFailed);
    return FALSE;
  }
  // From here on the procedure finds this object; the messages of the
  // creation itself have had default handling.
  SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  parent = param->parent;
  if (!parent) mainWin = this;
  frameOffset.left = adjusted.left - param->rect.left;
  frameOffset.top = adjusted.top - param->rect.top;
  frameOffset.right = adjusted.right - param->rect.right;
  frameOffset.bottom = adjusted.bottom - param->rect.bottom;
  RefreshRect();
  return TRUE;
}

BOOL CPVWinMain::PostCreate() { return TRUE; }

BOOL CPVWinMain::QueryClose() { return TRUE; }

void CPVWinMain::PreDestroy() {}

LRESULT CPVWinMain::RequestClose() { return SendMessageA(wnd, WM_CLOSE, 0, 0); }

BOOL CPVWinMain::Show(int showCmd) {
  if (!wnd) {
    PVDebugOut(kShowNoWindow);
    return FALSE;
  }
  return ShowWindow(wnd, showCmd);
}

BOOL CPVWinMain::Update() {
  if (!wnd) {
    PVDebugOut(kUpdateNoWindow);
    return FALSE;
  }
  return UpdateWindow(wnd);
}

void CPVWinMain::SetSizeLimit(int minW, int minH, int maxW, int maxH, int stepW, int stepH) {
  minWidth = minW;
  minHeight = minH;
  maxWidth = maxW;
  maxHeight = maxH;
  stepWidth = stepW;
  stepHeight = stepH;
}

BOOL CPVWinMain::LoadAccel(const char* name) {
  accel = LoadAcceleratorsA(instance, name);
  return accel != nullptr;
}

void CPVWinMain::EnableAccel(int on) { accelOn = on; }

int CPVWinMain::Run() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (accel && accelOn && TranslateAcceleratorA(wnd, accel, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

BOOL CPVWinMain::SetRegSubKey(const char* subKey) {
  if (!CopyText(regSubKey, subKey)) {
    PVDebugOut(kSubKeyTooLong);
    return FALSE;
  }
  return TRUE;
}

uint32_t CPVWinMain::ReadRegValue(const char* name, void* buffer, uint32_t size, int zeroFill) {
  uint32_t count = 0;
  CPVRegistry registry;
  if (registry.Open(regSubKey, false, true, HKEY_CURRENT_USER)) {
    count = registry.Read(name, buffer, size);
    registry.Close();
  }
  if (zeroFill && count < size) std::memset(static_cast<char*>(buffer) + count, 0, size - count);
  return count;
}

BOOL CPVWinMain::WriteRegValue(const char* name, const void* data, uint32_t size) {
  CPVRegistry registry;
  if (!registry.Open(regSubKey, true, true, HKEY_CURRENT_USER)) return FALSE;
  bool stored = registry.Write(name, REG_BINARY, data, size);
  registry.Close();
  return stored;
}
