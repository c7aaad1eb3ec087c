#pragma once
// Window styles and the constants of the functions that change them.

#include "platform/com/WinTypes.h"

enum : DWORD {
  WS_OVERLAPPED = 0x00000000,
  WS_TABSTOP = 0x00010000,
  WS_GROUP = 0x00020000,
  WS_SYSMENU = 0x00080000,
  WS_BORDER = 0x00800000,
  WS_DLGFRAME = 0x00400000,
  WS_CAPTION = 0x00C00000,  // border and title bar
  WS_DISABLED = 0x08000000,
  WS_VISIBLE = 0x10000000,
  WS_CHILD = 0x40000000,
  WS_POPUP = 0x80000000,
};

enum : DWORD {
  WS_EX_DLGMODALFRAME = 0x00000001,
  WS_EX_TOPMOST = 0x00000008,
  WS_EX_RIGHT = 0x00001000,
  WS_EX_RTLREADING = 0x00002000,  // text reads right to left
  WS_EX_LAYOUTRTL = 0x00400000,
};

// Dialog styles.
enum : DWORD {
  DS_MODALFRAME = 0x80,
  DS_SETFONT = 0x40,
  DS_CENTER = 0x800,
};

// Static text styles.
enum : DWORD {
  SS_LEFT = 0x0,
  SS_CENTER = 0x1,
  SS_RIGHT = 0x2,
  SS_NOPREFIX = 0x80,
};

// Button styles.
enum : DWORD {
  BS_PUSHBUTTON = 0x0,
  BS_DEFPUSHBUTTON = 0x1,
  BS_CHECKBOX = 0x2,
  BS_AUTOCHECKBOX = 0x3,
  BS_RADIOBUTTON = 0x4,
  BS_AUTORADIOBUTTON = 0x9,
  BS_ICON = 0x40,    // the button shows its image (BM_SETIMAGE) in place of its text
  BS_BITMAP = 0x80,
};

// GetWindowLong / SetWindowLong.
enum : int {
  GWL_STYLE = -16,
  GWL_EXSTYLE = -20,
  GWL_ID = -12,
};

// ShowWindow.
enum : int {
  SW_HIDE = 0,
  SW_SHOWNORMAL = 1,
  SW_SHOWNOACTIVATE = 4,
  SW_SHOW = 5,
  SW_SHOWNA = 8,
};

// SetWindowPos.
enum : UINT {
  SWP_NOSIZE = 0x0001,
  SWP_NOMOVE = 0x0002,
  SWP_NOZORDER = 0x0004,
  SWP_NOACTIVATE = 0x0010,
  SWP_SHOWWINDOW = 0x0040,
  SWP_HIDEWINDOW = 0x0080,
};
