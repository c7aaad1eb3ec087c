#pragma once
// How the national-language functions hand text back, as Win32 does: the
// text and its terminator are written only when they fit, the result counts
// them (characters in UTF-16, bytes in the ANSI code page), a size of 0 asks
// only for that count, and a failure returns 0 with the thread's last error.

#include <string>
#include <string_view>

#include "platform/com/WinTypes.h"
#include "platform/win/WinError.h"

namespace nls {

// 0 with the error as the thread's last error.
int Fail(DWORD error);

// False, with ERROR_INVALID_PARAMETER, for a negative size or a null buffer
// of non-zero size.
bool CheckBuffer(const void* out, int size);

int ReturnText(std::u16string_view text, char16_t* out, int size);
// Converts to the ANSI code page first; what it lacks becomes '?'.
int ReturnText(std::u16string_view text, char* out, int size);

// Checks the buffer, has format(&text) make the text (it answers
// ERROR_SUCCESS or the error) and hands the text back.
template <typename Char, typename Format>
int ReturnFormatted(Char* out, int size, Format format) {
  if (!CheckBuffer(out, size)) return 0;
  std::u16string text;
  const DWORD error = format(&text);
  if (error != ERROR_SUCCESS) return Fail(error);
  return ReturnText(text, out, size);
}

// A number handed back in the text buffer, as LOCALE_RETURN_NUMBER asks: a
// DWORD, whose size counts 2 UTF-16 characters or 4 ANSI bytes.
int ReturnNumber(DWORD value, char16_t* out, int size);
int ReturnNumber(DWORD value, char* out, int size);

}  // namespace nls
