#pragma once
// What the controls' painting needs of GDI: colours, the device context a
// dialog colours a static control through (WM_CTLCOLORSTATIC), brushes, and
// logical fonts that can be copied with another underline.
//
// Nothing is drawn here: a device context only collects what a procedure
// chose (text colour, background mode), which the runtime keeps for the
// front end that draws.

#include <cstdint>

#include "platform/com/WinTypes.h"
#include "platform/ui/Font.h"

using COLORREF = DWORD;  // 0x00BBGGRR
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
  return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
         (static_cast<COLORREF>(blue) << 16);
}
constexpr BYTE GetRValue(COLORREF colour) { return static_cast<BYTE>(colour & 0xFF); }
constexpr BYTE GetGValue(COLORREF colour) { return static_cast<BYTE>((colour >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF colour) { return static_cast<BYTE>((colour >> 16) & 0xFF); }

struct DeviceContextRecord {
  COLORREF textColor = CLR_INVALID;
  int backgroundMode = 2;  // OPAQUE
};
using HDC = DeviceContextRecord*;

struct BrushRecord;
using HBRUSH = const BrushRecord*;

enum : int {
  TRANSPARENT = 1,
  OPAQUE = 2,
};
enum : int {
  HOLLOW_BRUSH = 5,
  NULL_BRUSH = HOLLOW_BRUSH,
};

// Returns the previous colour, CLR_INVALID for a null context.
COLORREF SetTextColor(HDC dc, COLORREF colour);
int SetBkMode(HDC dc, int mode);
// The stock brushes; one non-null handle each, never freed.
HBRUSH GetStockObject(int which);

struct LOGFONT {
  LONG lfHeight = 0;  // negative: the character height in pixels
  LONG lfWeight = 400;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  char lfFaceName[32] = {};  // UTF-8
};

// The logical font of a font; the bytes written, 0 for a null font.
int GetObject(HFONT font, int size, LOGFONT* logical);
HFONT CreateFontIndirect(const LOGFONT* logical);
// Fonts live as long as the process here; deleting one is allowed and does
// nothing, so that code that frees what it made stays correct.
BOOL DeleteObject(HFONT font);
