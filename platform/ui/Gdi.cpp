#include "platform/ui/Gdi.h"

#include <algorithm>
#include <cstring>
#include <string_view>

struct BrushRecord {
  int which;
};

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  if (dc == nullptr) return CLR_INVALID;
  const COLORREF previous = dc->textColor;
  dc->textColor = colour;
  return previous;
}

int SetBkMode(HDC dc, int mode) {
  if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  const int previous = dc->backgroundMode;
  dc->backgroundMode = mode;
  return previous;
}

HBRUSH GetStockObject(int which) {
  static const BrushRecord kHollow{HOLLOW_BRUSH};
  return which == HOLLOW_BRUSH ? &kHollow : nullptr;
}

namespace {

// Points of a character height in pixels, by the font model's 13 pixels for
// every 8 points.
int PointsOfHeight(LONG height) {
  const LONG pixels = height < 0 ? -height : height;
  return pixels == 0 ? 8 : static_cast<int>((pixels * 8 + 6) / 13);
}

}  // namespace

int GetObject(HFONT font, int size, LOGFONT* logical) {
  if (font == nullptr || logical == nullptr || size < static_cast<int>(sizeof(LOGFONT))) return 0;
  *logical = LOGFONT{};
  logical->lfHeight = -static_cast<LONG>((13 * ui::FontPointSize(font) + 4) / 8);
  logical->lfUnderline = ui::FontUnderline(font) ? 1 : 0;
  const std::string_view face = ui::FontFaceName(font);
  std::memcpy(logical->lfFaceName, face.data(),
              std::min(face.size(), sizeof logical->lfFaceName - 1));
  return static_cast<int>(sizeof(LOGFONT));
}

HFONT CreateFontIndirect(const LOGFONT* logical) {
  if (logical == nullptr) return nullptr;
  const std::string_view face(logical->lfFaceName,
                              strnlen(logical->lfFaceName, sizeof logical->lfFaceName));
  return ui::FontFor(face, PointsOfHeight(logical->lfHeight), logical->lfUnderline != 0);
}

BOOL DeleteObject(HFONT font) { return font != nullptr ? TRUE : FALSE; }
