#include "app/main_win.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstring>

#include "app/resource.h"
#include "job/convert_file.h"
#include "job/job_names.h"
#include "job/job_messages.h"
#include "support/debug.h"
#include "support/open_dialog.h"
#include "support/path.h"

namespace {

const char kSubKey[] = "Software\\Holven\\TRELVIO";
const char kLastFileValue[] = "LastFile";
const char kKeepNotesValue[] = "KeepNotes";
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

CMainWin::CMainWin(HINSTANCE moduleInstance, const char* key)
    : settingsKey(key && *key ? key : kSubKey) {
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
  SetRegSubKey(settingsKey);
  ReadRegValue(kLastFileValue, lastFile, sizeof lastFile, 0);
  ReadRegValue(kKeepNotesValue, &keepNotes, sizeof keepNotes, 0);
  keepNotes = keepNotes != 0;
  LoadAccel(MAKEINTRESOURCEA(IDR_ACCEL));
  return CPVLogWin::PreRegist(param);
}

BOOL CMainWin::PostCreate() {
  DragAcceptFiles(wnd, TRUE);
  ShowKeepNotes();
  if (!CPVLogWin::PostCreate()) return FALSE;
  std::string argument;
  AnsiPathResult taken;
  if (CommandArgPath(&argument, &taken)) ConvertPath(argument, taken);
  return TRUE;
}

BOOL CMainWin::QueryClose() { return CPVLogWin::QueryClose(); }

void CMainWin::PreDestroy() {
  WriteRegValue(kLastFileValue, lastFile, sizeof lastFile);
  WriteRegValue(kKeepNotesValue, &keepNotes, sizeof keepNotes);
  CPVLogWin::PreDestroy();
}

void CMainWin::ShowKeepNotes() {
  CheckMenuItem(GetMenu(wnd), IDM_KEEP_NOTES, MF_BYCOMMAND | (keepNotes ? MF_CHECKED : MF_UNCHECKED));
}

int CMainWin::ConvertFile(const char* sourcePath) {
  if (sourcePath) return ConvertPath(sourcePath, kAnsiPathTaken);
  // The dialog opens on the last converted file, or with an empty name.
  char chosen[kPathSize];
  std::memset(chosen, 0, sizeof chosen);
  std::memcpy(chosen, lastFile, sizeof chosen - 1);
  if (!PVOpenFileDialog(chosen, kDialogTitle, 1, kDialogFilter, kDialogExtension, kDialogFlags,
                        nullptr))
    return 0;
  // The code page's stand-in for a character it cannot spell; no file name
  // holds it.
  return ConvertPath(chosen, std::strchr(chosen, '?') ? kAnsiPathUnspellable : kAnsiPathTaken);
}

// A path typed with forward slashes (as trelvio-cli takes it) is split, and
// remembered, in the backslash form. A path the code page cannot hold is
// logged as the job would name it, with the reason, and not converted.
int CMainWin::ConvertPath(std::string path, AnsiPathResult taken) {
  PVUseSeparator(PVHostTextFacts(), &path[0]);
  if (taken == kAnsiPathTaken) {
    ConvertOptions options;
    options.keepNotes = keepNotes != 0;
    return ::ConvertFile(conversion, *this, path.c_str(), lastFile, &options);
  }
  JobNames names;
  NameJob(PVHostTextFacts(), path.c_str(), nullptr, nullptr, &names);
  AddLog(names.requestLine, 1);
  AddLog(AnsiPathRefusal(taken), 1);
  AddLog(msg::kConversionFailed, 1);
  return 0;
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
    case IDM_KEEP_NOTES:
      keepNotes = !keepNotes;
      ShowKeepNotes();
      break;
    default:
      break;
  }
  return 0;
}

// The files are converted in the drop's order, and the log is drawn after
// each one, so the user sees every result as it comes. Input waits until the
// whole drop is done, so a second drop cannot cut into it.
LRESULT CMainWin::OnDropFiles(HWND hwnd, WPARAM wParam, LPARAM) {
  HDROP drop = reinterpret_cast<HDROP>(wParam);
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::string path;
    AnsiPathResult taken = DroppedPath(drop, i, &path);
    ConvertPath(path, taken);
    UpdateWindow(hwnd);
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
