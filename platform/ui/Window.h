#pragma once
// Windows: handles, the functions that show, enable, name, place and destroy
// them, and message boxes.
//
// A window belongs to the thread that created it. Its procedure only ever
// runs on that thread: the functions here that change a window (ShowWindow,
// EnableWindow, SetWindowText, SetWindowPos, SetWindowLong) do the work there,
// waiting for it as SendMessage does, when another thread calls them. The
// functions that read a window answer from any thread.
//
// An HWND is an opaque value looked up in the process's window table; a
// handle whose window is gone is refused (IsWindow false, failure results),
// never followed.

#include "platform/com/WinTypes.h"
#include "platform/ui/Geometry.h"

using UINT = unsigned int;

struct WindowRecord;  // never defined: an HWND is a key, not a pointer
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

// The window the user is working in, or null. Nothing here tracks
// activation yet, so a thread has no active window and the dialogs it
// creates are top-level.
HWND GetActiveWindow();

// Shows a message box through the process's front end; text and caption in
// the caller's character set (ANSI code page or UTF-16).
int MessageBox(HWND owner, const char* text, const char* caption, UINT style);
int MessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT style);

// True while the handle names a window that has not been destroyed.
BOOL IsWindow(HWND window);

// SW_HIDE hides, any other command shows. Returns whether the window was
// visible before; FALSE for a handle that is no window.
BOOL ShowWindow(HWND window, int command);
// The window and every parent up to its top-level window are shown.
BOOL IsWindowVisible(HWND window);

// Returns whether the window was disabled before.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);

// Text in the caller's character set. GetWindowText copies at most size - 1
// characters and a terminator and returns the characters copied.
BOOL SetWindowText(HWND window, const char* text);
BOOL SetWindowText(HWND window, const char16_t* text);
int GetWindowText(HWND window, char* buffer, int size);
int GetWindowText(HWND window, char16_t* buffer, int size);

// A control of a dialog by its id, or null.
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND control);
BOOL SetDlgItemText(HWND dialog, int id, const char* text);
BOOL SetDlgItemText(HWND dialog, int id, const char16_t* text);

// A child's dialog, a top-level window's owner, or null.
HWND GetParent(HWND window);

// GWL_STYLE, GWL_EXSTYLE (for example WS_EX_RTLREADING) or GWL_ID. Setting
// returns the previous value; 0 for a handle that is no window.
LONG GetWindowLong(HWND window, int index);
LONG SetWindowLong(HWND window, int index, LONG value);

// The window's rectangle in screen coordinates, frame included.
BOOL GetWindowRect(HWND window, RECT* rect);
// The client area: 0, 0 to its width and height.
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL ClientToScreen(HWND window, POINT* point);
// Moves and sizes a window: a child in its parent's client coordinates, a
// top-level window on the screen. after is ignored (there is no z-order);
// flags are SWP_NOMOVE, SWP_NOSIZE, SWP_SHOWWINDOW, SWP_HIDEWINDOW (others
// are accepted and do nothing).
BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags);

// Destroys a window and its controls: WM_DESTROY goes to the window and then
// to each control, their timers stop and their posted messages are dropped.
// Only the window's own thread may destroy it (FALSE otherwise), as in
// Windows, where another thread asks it to with a message.
BOOL DestroyWindow(HWND window);
