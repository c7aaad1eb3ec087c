#include "platform/ui/Font.h"

#include <list>
#include <mutex>
#include <string>

#include "platform/text/TextConvert.h"

struct FontRecord {
  std::string faceName;
  int pointSize;
  bool underline;
};

namespace ui {
namespace {

constexpr int kDefaultPointSize = 8;

int PointSizeOf(HFONT font) { return font != nullptr ? font->pointSize : kDefaultPointSize; }

// Characters of UTF-8 text: its code points (continuation bytes do not count).
LONG CountCodePoints(std::string_view utf8) {
  LONG count = 0;
  for (const char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

SIZE Extent(HFONT font, LONG characters) {
  const int points = PointSizeOf(font);
  return SIZE{characters * ((7 * points + 4) / 8), (13 * points + 4) / 8};
}

}  // namespace

HFONT FontFor(std::string_view faceName, int pointSize, bool underline) {
  static std::mutex mutex;
  static auto* fonts = new std::list<FontRecord>;  // never freed: HFONTs stay valid
  const int points = pointSize >= 1 ? pointSize : kDefaultPointSize;
  std::lock_guard lock(mutex);
  for (const FontRecord& font : *fonts) {
    if (font.faceName == faceName && font.pointSize == points && font.underline == underline) {
      return &font;
    }
  }
  fonts->push_back(FontRecord{std::string(faceName), points, underline});
  return &fonts->back();
}

int FontPointSize(HFONT font) { return PointSizeOf(font); }
bool FontUnderline(HFONT font) { return font != nullptr && font->underline; }
const char* FontFaceName(HFONT font) { return font != nullptr ? font->faceName.c_str() : ""; }

SIZE MeasureUtf8(HFONT font, std::string_view utf8) { return Extent(font, CountCodePoints(utf8)); }

}  // namespace ui

BOOL GetTextExtentPoint32(HFONT font, const char* text, int count, SIZE* size) {
  if (text == nullptr || size == nullptr || count < 0) return FALSE;
  *size = ui::MeasureUtf8(
      font, text::AnsiToUtf8(std::string_view(text, static_cast<std::size_t>(count))));
  return TRUE;
}

BOOL GetTextExtentPoint32(HFONT font, const char16_t* text, int count, SIZE* size) {
  if (text == nullptr || size == nullptr || count < 0) return FALSE;
  *size = ui::MeasureUtf8(
      font, text::Utf16ToUtf8(std::u16string_view(text, static_cast<std::size_t>(count))));
  return TRUE;
}
