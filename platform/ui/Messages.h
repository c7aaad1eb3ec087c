#pragma once
// Window messages: the message record, the parameter types and the numbers
// of the system messages the runtime sends or understands.
//
// Text travels in messages as UTF-8 whatever the caller's character set:
// WM_SETTEXT's lParam is a const char* of UTF-8, WM_GETTEXT fills a char
// buffer of wParam bytes. SetWindowText and GetWindowText convert.

#include <cstdint>

#include "platform/ui/Geometry.h"
#include "platform/ui/Window.h"

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;

struct MSG {
  HWND hwnd;  // null for a thread message (WM_QUIT, PostThreadMessage)
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;  // milliseconds of a steady clock when the message was posted
  POINT pt;    // always 0,0: there is no mouse
};

enum : UINT {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_ENABLE = 0x000A,
  WM_SETTEXT = 0x000C,
  WM_GETTEXT = 0x000D,
  WM_GETTEXTLENGTH = 0x000E,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_SHOWWINDOW = 0x0018,
  WM_SETFONT = 0x0030,
  WM_GETFONT = 0x0031,
  WM_WINDOWPOSCHANGED = 0x0047,
  WM_SETCURSOR = 0x0020,
  WM_NEXTDLGCTL = 0x0028,
  WM_NOTIFY = 0x004E,
  WM_NCHITTEST = 0x0084,
  WM_NCDESTROY = 0x0082,
  WM_GETDLGCODE = 0x0087,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_INITDIALOG = 0x0110,
  WM_COMMAND = 0x0111,
  WM_TIMER = 0x0113,
  WM_VSCROLL = 0x0115,
  WM_CTLCOLORSTATIC = 0x0138,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_CAPTURECHANGED = 0x0215,
  WM_USER = 0x0400,
  // Messages a parent reflects back to the control that sent them, as ATL's
  // REFLECT_NOTIFICATIONS does: the original number plus this base.
  OCM__BASE = WM_USER + 0x1C00,
  OCM_COMMAND = OCM__BASE + WM_COMMAND,
  OCM_NOTIFY = OCM__BASE + WM_NOTIFY,
  OCM_CTLCOLORSTATIC = OCM__BASE + WM_CTLCOLORSTATIC,
};

// WM_NCHITTEST answers.
enum : LRESULT {
  HTNOWHERE = 0,
  HTCLIENT = 1,
};

// Virtual keys the dialogs and controls understand.
enum : WPARAM {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_DELETE = 0x2E,
};

// The header of every WM_NOTIFY: which control, and what happened.
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;  // a negative notification code, as a UINT
};

constexpr WORD LOWORD(std::uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
