// Resource and command identifiers of the program.
#pragma once

#define IDR_MAINMENU 101
#define IDR_ACCEL 103
#define IDD_ABOUT 104
#define IDI_TRELVIO 105

#define IDM_ABOUT 40001
#define IDM_QUIT 40002
#define IDM_OPEN 40004
#define IDM_KEEP_NOTES 40005
