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

#include <cstdint>

#include "platform/com/WinTypes.h"
#include "platform/fs/Module.h"
#include "platform/ui/Geometry.h"

using UINT = unsigned int;
using LONG_PTR = std::intptr_t;

struct WindowRecord;  // never defined: an HWND is a key, not a pointer
using HWND = WindowRecord*;

// A window procedure, as subclassing installs one.
using WNDPROC = std::intptr_t (*)(HWND, UINT, std::uintptr_t, std::intptr_t);

// Message box styles.
// GetWindowLongPtr / SetWindowLongPtr indexes beyond GetWindowLong's.
enum : int {
  GWLP_WNDPROC = -4,
  GWLP_USERDATA = -21,
};

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

// The calling thread's active window: the top-level window the user works
// in, or null. A thread that has shown no window has none, so the dialogs a
// new thread creates are top-level. Showing a dialog activates it; when it
// goes, its owner is active again.
HWND GetActiveWindow();
// Returns the window active before; null for a handle that is no top-level
// window of the calling thread.
HWND SetActiveWindow(HWND window);

// The keyboard focus of the calling thread: the control (or window) that
// gets the keys. SetFocus sends WM_KILLFOCUS to the window losing it and
// WM_SETFOCUS to the one taking it, activates its top-level window, and
// returns the window that had it; null, changing nothing, for a handle that
// is no window of the calling thread or is disabled. SetFocus(null) takes
// the focus away.
HWND SetFocus(HWND window);
HWND GetFocus();

// The window that has captured the mouse: it gets every mouse message
// until it releases it, wherever the pointer is. Per thread.
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();

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
// As GetWindowLong, and GWLP_WNDPROC (the window's procedure: setting it
// subclasses the window, and the previous procedure is what the new one
// hands what it does not handle, through CallWindowProc) and GWLP_USERDATA.
LONG_PTR GetWindowLongPtr(HWND window, int index);
LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value);
std::intptr_t CallWindowProc(WNDPROC procedure, HWND window, UINT message, std::uintptr_t wParam,
                             std::intptr_t lParam);

// The control's text as a number: signed or not, leading and trailing
// blanks allowed, nothing else. translated (may be null) says whether the
// text was one; the result is 0 when it was not.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
int GetDlgItemText(HWND dialog, int id, char* buffer, int size);
int GetDlgItemText(HWND dialog, int id, char16_t* buffer, int size);
// Characters of the text, in the caller's set.
int GetWindowTextLength(HWND window);
std::intptr_t SendDlgItemMessage(HWND dialog, int id, UINT message, std::uintptr_t wParam,
                                 std::intptr_t lParam);

// Check boxes and radio buttons: BST_CHECKED or BST_UNCHECKED.
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks radio button check and clears the others of first..last.
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);

// The next control of the dialog that the Tab key reaches after control (or
// before it when previous): visible, enabled, with WS_TABSTOP, in template
// order, wrapping round; of a group of radio buttons only the checked one
// (or the first). Null when there is none.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);

// Asks for the window to be drawn again: its front end redraws it, and a
// static control asks its dialog for its colours again (WM_CTLCOLORSTATIC).
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND window);

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

// A window of a class of its own, not made from a dialog template. The one
// class there is: TOOLTIPS_CLASS, a tooltip owned by parent. Null for any
// other class.
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, void* menu,
                    HINSTANCE instance, void* param);

// Destroys a window and its controls: WM_DESTROY goes to the window and then
// to each control, their timers stop and their posted messages are dropped.
// Only the window's own thread may destroy it (FALSE otherwise), as in
// Windows, where another thread asks it to with a message.
BOOL DestroyWindow(HWND window);
