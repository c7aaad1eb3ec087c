#pragma once
// Fonts and measuring text.
//
// There are no glyphs here: every font is measured as a fixed-width font
// whose cell is (7 x pointSize / 8) pixels wide, rounded to the nearest
// pixel, and (13 x pointSize / 8) high. An 8-point dialog font, the usual
// one, is 7 by 13 pixels. A character is one Unicode code point (ANSI text
// is read in the ANSI code page). The model is crude but consistent, which is
// all layout code needs: text measured here fits the control it was measured
// for, in every front end.

#include <string_view>

#include "platform/com/WinTypes.h"
#include "platform/ui/Geometry.h"

struct FontRecord;
using HFONT = const FontRecord*;

namespace ui {

// The font of a face name and point size; fonts live as long as the process
// and need no freeing. A point size below 1 is taken as 8.
HFONT FontFor(std::string_view faceName, int pointSize, bool underline = false);
int FontPointSize(HFONT font);
bool FontUnderline(HFONT font);
const char* FontFaceName(HFONT font);  // "" for null

// The extent of UTF-8 text in the font (null: the 8-point default).
SIZE MeasureUtf8(HFONT font, std::string_view utf8);

}  // namespace ui

// As Windows' GetTextExtentPoint32 measures in the font selected into a
// device context; here the font is named directly. count is in characters of
// the caller's set (bytes, or UTF-16 units). FALSE for a null text or size.
BOOL GetTextExtentPoint32(HFONT font, const char* text, int count, SIZE* size);
BOOL GetTextExtentPoint32(HFONT font, const char16_t* text, int count, SIZE* size);
