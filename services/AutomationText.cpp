#include "services/AutomationText.h"

#include "services/ResourceLibrary.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"

std::u16string ToWide(tstring_view text) {
#if defined(ORVANE_FLAVOUR_XP)
  return text::AnsiToUtf16(text);
#else
  return std::u16string(text);
#endif
}

tstring FromWide(std::u16string_view text) {
#if defined(ORVANE_FLAVOUR_XP)
  return text::Utf16ToAnsi(text);
#else
  return tstring(text);
#endif
}

std::u16string ResourceText(unsigned id) {
  tchar buffer[512] = {};
  LoadString(ResourceInstance(), id, buffer, 512);
  return ToWide(buffer);
}
