// Paths the platform hands over in UTF-16 (a drop, the command line), taken
// into the program's code page 932, in which the converter opens and names
// its files.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

enum AnsiPathResult {
  kAnsiPathTaken,
  kAnsiPathTooLong,     // more than 259 bytes in the code page
  kAnsiPathUnspellable  // a character the code page has no bytes for
};

// The log's line for a refused path (null for a taken one).
const char* AnsiPathRefusal(AnsiPathResult result);

// The path in the code page, without best-fit look-alikes: a character it
// cannot spell becomes '?' (which no file name holds) and refuses the path.
// *path holds the result either way, whole.
AnsiPathResult ToAnsiPath(const std::wstring& wide, std::string* path);

// The index-th path of a drop, asked for at its full length.
AnsiPathResult DroppedPath(HDROP drop, UINT index, std::string* path);

// The first argument of the process's command line (the one rule of
// PVParseCommandArg). Returns 0, leaving *path empty, when there is none.
int CommandArgPath(std::string* path, AnsiPathResult* result);
