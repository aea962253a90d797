#include "app/main_win.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstring>

#include "app/resource.h"
#include "converter/convert_file.h"
#include "support/command_arg.h"
#include "support/debug.h"
#include "support/open_dialog.h"

namespace {

const char kSubKey[] = "Software\\Holven\\TRELVIO";
const char kLastFileValue[] = "LastFile";
const char kName[] = "TRELVIO";
const char kNoInstance[] = "[CMainWin::CMainWin]インスタンスが指定されていません。\n";

// The open-file dialog's texts: title, one filter pair, default extension.
const char kDialogTitle[] = "MIDIファイルの選択";
const char kDialogFilter[] = "MIDIﾌｧｲﾙ(*.mid)\0*.mid\0";
const char kDialogExtension[] = "mid";
const DWORD kDialogFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;

}  // namespace

WindowParam MainWinParam(int showCmd) {
  WindowParam param = {
      "WinApp", CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW,
      nullptr, nullptr, nullptr, nullptr, nullptr, "WinApp",
      {64, 64, 384, 304}, WS_OVERLAPPEDWINDOW, 0, showCmd, nullptr,
  };
  return param;
}

CMainWin::CMainWin(HINSTANCE moduleInstance) {
  std::memset(lastFile, 0, sizeof lastFile);
  if (!moduleInstance) PVDebugOut(kNoInstance);
  instance = moduleInstance;
}

CMainWin::~CMainWin() { std::memset(lastFile, 0, sizeof lastFile); }

BOOL CMainWin::PreRegist(WindowParam* param) {
  param->style = WS_OVERLAPPEDWINDOW;
  param->className = kName;
  param->title = kName;
  param->menuName = MAKEINTRESOURCEA(IDR_MAINMENU);
  param->icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TRELVIO));
  param->smallIcon = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_TRELVIO), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  param->rect = RECT{64, 64, 384, 304};
  SetRegSubKey(kSubKey);
  ReadRegValue(kLastFileValue, lastFile, sizeof lastFile, 0);
  LoadAccel(MAKEINTRESOURCEA(IDR_ACCEL));
  return CPVLogWin::PreRegist(param);
}

BOOL CMainWin::PostCreate() {
  DragAcceptFiles(wnd, TRUE);
  if (!CPVLogWin::PostCreate()) return FALSE;
  char argument[kPathSize];
  if (PVGetCommandArg(argument, sizeof argument)) ConvertFile(argument);
  return TRUE;
}

BOOL CMainWin::QueryClose() { return CPVLogWin::QueryClose(); }

void CMainWin::PreDestroy() {
  WriteRegValue(kLastFileValue, lastFile, sizeof lastFile);
  CPVLogWin::PreDestroy();
}

int CMainWin::ConvertFile(const char* sourcePath) {
  char chosen[kPathSize];
  if (!sourcePath) {
    // The dialog opens on the last converted file, or with an empty name.
    std::memset(chosen, 0, sizeof chosen);
    std::memcpy(chosen, lastFile, sizeof chosen - 1);
    if (!PVOpenFileDialog(chosen, kDialogTitle, 1, kDialogFilter, kDialogExtension, kDialogFlags,
                          nullptr))
      return 0;
    sourcePath = chosen;
  }
  return ::ConvertFile(conversion, *this, sourcePath, lastFile, nullptr);
}

LRESULT CMainWin::OnCommand(HWND hwnd, WPARAM wParam, LPARAM) {
  switch (LOWORD(wParam)) {
    case IDM_ABOUT:
      DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), hwnd, AboutDlgProc, 0);
      break;
    case IDM_QUIT:
      SendMessageA(hwnd, WM_CLOSE, 0, 0);
      break;
    case IDM_OPEN:
      ConvertFile(nullptr);
      break;
    default:
      break;
  }
  return 0;
}

LRESULT CMainWin::OnDropFiles(HWND, WPARAM wParam, LPARAM) {
  HDROP drop = reinterpret_cast<HDROP>(wParam);
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    char path[kPathSize];
    if (DragQueryFileA(drop, i, path, sizeof path) == 0) continue;
    ConvertFile(path);
  }
  DragFinish(drop);
  return 0;
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND owner = GetParent(dialog);
      if (owner) {
        RECT o, d;
        GetWindowRect(owner, &o);
        GetWindowRect(dialog, &d);
        int x = (o.left + o.right) / 2 - (d.right - d.left) / 2;
        int y = (o.top + o.bottom) / 2 - (d.bottom - d.top) / 2;
        SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}
