// The platform's open-file dialog (Windows).
#pragma once

#include <windows.h>

// Shows the dialog starting from what file (260 bytes) holds; filters are
// description/pattern pairs, each NUL-terminated, ended by an extra NUL.
// owner null: the main window owns the dialog. Returns nonzero when the user
// chose a file, whose full path is then in file.
int PVOpenFileDialog(char* file, const char* title, DWORD filterIndex, const char* filters,
                     const char* defaultExtension, DWORD flags, HWND owner);
