#pragma once
// The bytes of a data file (city or hadith file) in the encoding of the
// module flavour a test is built for: the ANSI code page in text mode for
// the XP module (LF written as CR LF), UTF-16 little-endian for the 2003
// module (CR LF as code units when crlf is asked, else LF as it stands).

#include <string>

#include "platform/text/TextConvert.h"

inline std::string FlavourFileBytes(const std::string& utf8, bool crlf = true) {
  std::string out;
#if defined(ORVANE_FLAVOUR_XP)
  (void)crlf;  // text mode always writes CR LF
  for (char c : text::Utf8ToAnsi(utf8)) {
    if (c == '\n') out += '\r';
    out += c;
  }
#else
  for (char16_t c : text::Utf8ToUtf16(utf8)) {
    if (c == u'\n' && crlf) out += std::string("\r\0", 2);
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
#endif
  return out;
}
