#pragma once
// Window handles and the message-box constants. Windows themselves (dialogs,
// controls, message queues) are built on these.

#include "platform/com/WinTypes.h"

using UINT = unsigned int;

struct WindowRecord;
using HWND = WindowRecord*;

// Message box styles.
enum : UINT {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_TYPEMASK = 0xF,
  MB_ICONERROR = 0x10,
  MB_ICONHAND = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_ICONMASK = 0xF0,
  MB_DEFBUTTON1 = 0x000,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
  MB_DEFMASK = 0xF00,
  MB_RIGHT = 0x80000,
  MB_RTLREADING = 0x100000,
};

// Buttons.
enum : int {
  IDOK = 1,
  IDCANCEL = 2,
  IDABORT = 3,
  IDRETRY = 4,
  IDIGNORE = 5,
  IDYES = 6,
  IDNO = 7,
};

// The window the user is working in, or null.
HWND GetActiveWindow();

// Shows a message box through the process's front end; text and caption in
// the caller's character set (ANSI code page or UTF-16).
int MessageBox(HWND owner, const char* text, const char* caption, UINT style);
int MessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT style);
