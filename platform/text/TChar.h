#pragma once
// The character type of the add-in module being built: 8-bit text in the
// ANSI code page for the Outlook XP module, UTF-16 for the Outlook 2003
// module. The build defines ORVANE_FLAVOUR_XP or ORVANE_FLAVOUR_2003 for the
// module's own sources.

#include <string>
#include <string_view>

#if defined(ORVANE_FLAVOUR_XP)
using tchar = char;
#define TEXT(text) text
#elif defined(ORVANE_FLAVOUR_2003)
using tchar = char16_t;
#define TEXT(text) u##text
#else
#error "define ORVANE_FLAVOUR_XP or ORVANE_FLAVOUR_2003"
#endif

using tstring = std::basic_string<tchar>;
using tstring_view = std::basic_string_view<tchar>;

#include "platform/text/TextConvert.h"

// Between the module's character set and UTF-8.
inline std::string TToUtf8(tstring_view text) {
#if defined(ORVANE_FLAVOUR_XP)
  return text::AnsiToUtf8(text);
#else
  return text::Utf16ToUtf8(text);
#endif
}

inline tstring Utf8ToT(std::string_view text) {
#if defined(ORVANE_FLAVOUR_XP)
  return text::Utf8ToAnsi(text);
#else
  return text::Utf8ToUtf16(text);
#endif
}
