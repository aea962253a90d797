// WindowParam: the creation record of a library window, sixteen 32-bit fields.
#pragma once

#include <windows.h>

class CPVWinMain;

struct WindowParam {
  const char* className;  // class to register; null keeps the object's name
  UINT classStyle;
  HICON icon;
  HICON smallIcon;        // null: icon serves as the small icon too
  HCURSOR cursor;
  HBRUSH background;
  const char* menuName;   // resource name or number; non-null means a menu bar
  const char* title;      // null keeps the object's title
  RECT rect;              // wanted client area, without scroll bars
  DWORD style;
  DWORD exStyle;
  int showCmd;            // for the first Show
  CPVWinMain* parent;     // null makes a top-level window
};

// Sixteen 32-bit fields in the 32-bit program.
static_assert(sizeof(void*) != 4 || sizeof(WindowParam) == 64, "WindowParam layout");
