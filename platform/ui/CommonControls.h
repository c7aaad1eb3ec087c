#pragma once
// The messages, notifications and styles of the controls: buttons and the
// common controls (progress bar, animation).

#include "platform/time/SystemTime.h"
#include "platform/ui/Messages.h"

// Buttons.
enum : UINT {
  BM_GETCHECK = 0x00F0,
  BM_SETCHECK = 0x00F1,
  BM_CLICK = 0x00F5,
  BM_GETIMAGE = 0x00F6,  // wParam IMAGE_BITMAP / IMAGE_ICON; returns the handle
  BM_SETIMAGE = 0x00F7,  // wParam IMAGE_BITMAP / IMAGE_ICON, lParam the handle; returns the previous
};
enum : WORD {
  BN_CLICKED = 0,
};
enum : int {
  BST_UNCHECKED = 0,
  BST_CHECKED = 1,
};

// Progress bar. The range is 0..100 until set; PBM_SETRANGE packs the
// minimum and maximum in the low and high words of lParam.
enum : UINT {
  PBM_SETRANGE = WM_USER + 1,  // returns the previous range, packed
  PBM_SETPOS = WM_USER + 2,    // returns the previous position
  PBM_DELTAPOS = WM_USER + 3,  // returns the previous position
  PBM_SETSTEP = WM_USER + 4,   // returns the previous step
  PBM_STEPIT = WM_USER + 5,    // returns the previous position
  PBM_GETRANGE = WM_USER + 7,
  PBM_GETPOS = WM_USER + 8,
};

// Animation. ACM_OPEN: wParam the module holding the clip (null: the one
// whose template made the control), lParam the clip's resource id (0 closes
// the clip). ACM_PLAY: wParam the repeat count (-1 for ever), lParam the
// first and last frame in its low and high words (0, -1 for all).
enum : UINT {
  ACM_OPEN = WM_USER + 100,
  ACM_PLAY = WM_USER + 101,
  ACM_STOP = WM_USER + 102,
  ACM_ISPLAYING = WM_USER + 104,
};
enum : DWORD {
  ACS_CENTER = 0x1,
  ACS_TRANSPARENT = 0x2,
  ACS_AUTOPLAY = 0x4,  // plays as soon as a clip is opened
};

// Edit. Text in messages is UTF-8; positions count characters (code points).
// EM_LIMITTEXT limits what typing gives, not what WM_SETTEXT sets; wParam 0
// restores the default of 30000 characters.
enum : UINT {
  EM_GETSEL = 0x00B0,  // wParam, lParam: DWORD* start, end (either may be 0); returns both packed
  EM_SETSEL = 0x00B1,  // wParam start, lParam end; -1 end: the end of the text; -1 start: none
  EM_REPLACESEL = 0x00C2,  // lParam: UTF-8 text replacing the selection, as typed
  EM_LIMITTEXT = 0x00C5,
  EM_SETLIMITTEXT = EM_LIMITTEXT,
  EM_GETLIMITTEXT = 0x00D5,
};
enum : WORD {
  EN_SETFOCUS = 0x0100,
  EN_KILLFOCUS = 0x0200,
  EN_CHANGE = 0x0300,
  EN_MAXTEXT = 0x0501,  // typing would pass the limit; nothing was typed
};
enum : DWORD {
  ES_LEFT = 0x0000,
  ES_CENTER = 0x0001,
  ES_RIGHT = 0x0002,
  ES_AUTOHSCROLL = 0x0080,
  ES_READONLY = 0x0800,
  ES_NUMBER = 0x2000,  // typing takes digits only
};
inline constexpr int kDefaultEditLimit = 30000;

// Combo boxes: drop-down lists (CBS_DROPDOWNLIST: the text is the selected
// entry's) and editable ones (CBS_DROPDOWN). Strings are UTF-8; CB_GETLBTEXT
// writes the entry's bytes and a terminator into lParam, which must hold
// CB_GETLBTEXTLEN + 1 bytes. Finding ignores case; CB_FINDSTRING matches the
// start of an entry. Searches begin after entry wParam (-1: from the first)
// and wrap round.
enum : UINT {
  CB_GETEDITSEL = 0x0140,
  CB_LIMITTEXT = 0x0141,
  CB_SETEDITSEL = 0x0142,
  CB_ADDSTRING = 0x0143,
  CB_DELETESTRING = 0x0144,
  CB_GETCOUNT = 0x0146,
  CB_GETCURSEL = 0x0147,
  CB_GETLBTEXT = 0x0148,
  CB_GETLBTEXTLEN = 0x0149,
  CB_INSERTSTRING = 0x014A,  // wParam index, -1: at the end
  CB_RESETCONTENT = 0x014B,
  CB_FINDSTRING = 0x014C,
  CB_SELECTSTRING = 0x014D,
  CB_SETCURSEL = 0x014E,  // wParam index, -1: none; returns it, CB_ERR when out of the list
  CB_SHOWDROPDOWN = 0x014F,
  CB_GETITEMDATA = 0x0150,
  CB_SETITEMDATA = 0x0151,
  CB_FINDSTRINGEXACT = 0x0158,
};
enum : LRESULT {
  CB_OKAY = 0,
  CB_ERR = -1,
};
// Sent by a person's choice only, never by CB_SETCURSEL.
enum : WORD {
  CBN_SELCHANGE = 1,
  CBN_SETFOCUS = 3,
  CBN_KILLFOCUS = 4,
  CBN_EDITCHANGE = 5,
  CBN_SELENDOK = 9,
};
enum : DWORD {
  CBS_DROPDOWN = 0x0002,
  CBS_DROPDOWNLIST = 0x0003,
  CBS_AUTOHSCROLL = 0x0040,
  CBS_SORT = 0x0100,
};

// Up-down. The default range is 100 (lower) to 0 (upper): up counts down
// until a range is set. UDM_SETRANGE packs the upper bound in the low word
// and the lower one in the high word. With a buddy edit and UDS_SETBUDDYINT
// the position is written into the edit, and read back from it by
// UDM_GETPOS (error in the high word) and UDM_GETPOS32 (lParam: BOOL* error)
// and before each step.
enum : UINT {
  UDM_SETRANGE = WM_USER + 101,
  UDM_GETRANGE = WM_USER + 102,
  UDM_SETPOS = WM_USER + 103,
  UDM_GETPOS = WM_USER + 104,
  UDM_SETBUDDY = WM_USER + 105,
  UDM_GETBUDDY = WM_USER + 106,
  UDM_SETRANGE32 = WM_USER + 111,  // wParam lower, lParam upper
  UDM_GETRANGE32 = WM_USER + 112,  // wParam, lParam: int* lower, upper
  UDM_SETPOS32 = WM_USER + 113,
  UDM_GETPOS32 = WM_USER + 114,
};
enum : DWORD {
  UDS_WRAP = 0x0001,
  UDS_SETBUDDYINT = 0x0002,
  UDS_ALIGNRIGHT = 0x0004,
  UDS_ALIGNLEFT = 0x0008,
  UDS_AUTOBUDDY = 0x0010,  // the control before it in the template is its buddy
  UDS_ARROWKEYS = 0x0020,  // the up and down keys in the buddy step it
  UDS_NOTHOUSANDS = 0x0080,
};
// Before a step: the parent may refuse it by answering non-zero.
inline constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);
struct NMUPDOWN {
  NMHDR hdr;
  int iPos;    // the position before the step
  int iDelta;  // the step asked for
};
enum : WORD {
  SB_THUMBPOSITION = 4,
  SB_ENDSCROLL = 8,
};

// Date and time picker. The date travels as a SYSTEMTIME (time part for
// the time format); the range as two of them.
enum : UINT {
  DTM_GETSYSTEMTIME = 0x1001,  // lParam SYSTEMTIME*; returns GDT_VALID or GDT_NONE
  DTM_SETSYSTEMTIME = 0x1002,  // wParam GDT_VALID / GDT_NONE, lParam SYSTEMTIME*
  DTM_GETRANGE = 0x1003,       // lParam SYSTEMTIME[2]; returns GDTR_* flags of what is set
  DTM_SETRANGE = 0x1004,       // wParam GDTR_* flags, lParam SYSTEMTIME[2]
  DTM_SETFORMAT = 0x1005,      // lParam: UTF-8 picture of GetDateFormat / GetTimeFormat, null: the style's
};
enum : LRESULT {
  GDT_ERROR = -1,
  GDT_VALID = 0,
  GDT_NONE = 1,
};
enum : WPARAM {
  GDTR_MIN = 1,
  GDTR_MAX = 2,
};
enum : DWORD {
  DTS_UPDOWN = 0x0001,
  DTS_SHOWNONE = 0x0002,
  DTS_SHORTDATEFORMAT = 0x0000,
  DTS_LONGDATEFORMAT = 0x0004,
  DTS_TIMEFORMAT = 0x0009,
};
// After a person changed the date.
inline constexpr UINT DTN_DATETIMECHANGE = static_cast<UINT>(-759);
struct NMDATETIMECHANGE {
  NMHDR nmhdr;
  DWORD dwFlags;  // GDT_VALID or GDT_NONE
  SYSTEMTIME st;
};

// Static pictures: SS_BITMAP or SS_ICON controls show an image resource.
// STM_SHIFTIMAGE is this runtime's own: the picture shows its image rotated
// horizontally with wrap-around, column x of the image at column
// (x + wParam) mod width (wParam a signed offset in pixels; 0 shows it as it
// is), so that a map can be moved frame by frame without a new image for
// each frame; it returns the previous offset. A new image starts at 0.
enum : UINT {
  STM_SETICON = 0x0170,
  STM_GETICON = 0x0171,
  STM_SETIMAGE = 0x0172,  // wParam IMAGE_BITMAP / IMAGE_ICON, lParam the handle; returns the previous
  STM_GETIMAGE = 0x0173,
  STM_SHIFTIMAGE = 0x0174,
};
enum : DWORD {
  SS_ICON = 0x0003,
  SS_BITMAP = 0x000E,
  SS_TYPEMASK = 0x001F,
  SS_NOTIFY = 0x0100,
  SS_CENTERIMAGE = 0x0200,
  SS_REALSIZEIMAGE = 0x0800,
};
enum : WPARAM {
  IMAGE_BITMAP = 0,
  IMAGE_ICON = 1,
};

// Tooltips: a window of TOOLTIPS_CLASS owned by a control, with tools whose
// text shows when the pointer rests on them. Text is UTF-8.
inline constexpr const char* TOOLTIPS_CLASS = "tooltips_class32";
struct TOOLINFO {
  UINT cbSize;
  UINT uFlags;
  HWND hwnd;      // the window the tool lies in
  UINT_PTR uId;   // with TTF_IDISHWND: the window that is the tool
  RECT rect;      // the tool in hwnd's client area
  HINSTANCE hinst;
  const char* lpszText;  // UTF-8; null or empty: no tip
  LPARAM lParam;
};
enum : UINT {
  TTF_IDISHWND = 0x0001,
  TTF_SUBCLASS = 0x0010,
};
enum : UINT {
  TTM_ACTIVATE = WM_USER + 1,
  TTM_ADDTOOL = WM_USER + 4,
  TTM_DELTOOL = WM_USER + 5,
  TTM_RELAYEVENT = WM_USER + 7,  // lParam MSG*: a mouse message the tool received
  TTM_UPDATETIPTEXT = WM_USER + 12,
};
