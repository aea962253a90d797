#include "app/ansi_path.h"

#include <vector>

#include "support/command_arg.h"
#include "support/path.h"

namespace {

const char kTooLong[] = "パスが259バイトを超えるため変換できません。\n";
const char kUnspellable[] =
    "ファイル名にシフトJISで表せない文字が含まれるため変換できません。\n";

}  // namespace

const char* AnsiPathRefusal(AnsiPathResult result) {
  switch (result) {
    case kAnsiPathTooLong: return kTooLong;
    case kAnsiPathUnspellable: return kUnspellable;
    default: return nullptr;
  }
}

AnsiPathResult ToAnsiPath(const std::wstring& wide, std::string* path) {
  path->clear();
  if (wide.empty()) return kAnsiPathTaken;
  const int wideLength = static_cast<int>(wide.size());
  int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr,
                                 0, nullptr, nullptr);
  path->resize(size);
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, &(*path)[0], size,
                      "?", &usedDefault);
  if (usedDefault) return kAnsiPathUnspellable;
  if (path->size() > kPVPathSize - 1) return kAnsiPathTooLong;
  return kAnsiPathTaken;
}

AnsiPathResult DroppedPath(HDROP drop, UINT index, std::string* path) {
  UINT length = DragQueryFileW(drop, index, nullptr, 0);
  std::wstring wide(length + 1, L'\0');
  wide.resize(DragQueryFileW(drop, index, &wide[0], length + 1));
  return ToAnsiPath(wide, path);
}

int CommandArgPath(std::string* path, AnsiPathResult* result) {
  path->clear();
  const wchar_t* line = GetCommandLineW();
  if (!line) return 0;
  // The argument is never longer than the line, so it is never dropped here;
  // a path too long for the converter is refused with a message instead.
  std::vector<wchar_t> argument(wcslen(line) + 1);
  if (!PVParseCommandArg(line, argument.data(), static_cast<int32_t>(argument.size()))) return 0;
  *result = ToAnsiPath(argument.data(), path);
  return 1;
}
