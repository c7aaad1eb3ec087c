#pragma once
// Conversions between UTF-8, UTF-16 and the ANSI code page (ICU converters).
// The ANSI code page is a setting of the profile; it defaults to 1256, an
// Arabic system's, which holds the Arabic, French and English texts we ship.

#include <string>
#include <string_view>

namespace text {

inline constexpr int kDefaultAnsiCodePage = 1256;

int AnsiCodePage();
// Takes effect for conversions made afterwards; an unknown code page is
// refused (returns false) and the previous one stays.
bool SetAnsiCodePage(int codePage);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// Characters the code page lacks become '?'.
std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view utf16);
std::string AnsiToUtf8(std::string_view ansi);

// Into a given Windows code page (1252, 1256, ...), whatever the ANSI code
// page is. A character the code page lacks becomes '?', or, for HTML and XML
// text, its decimal character reference ("&#1605;"), which any reader
// turns back into the character. Empty for an unknown code page.
enum class Unmappable { kQuestionMark, kCharacterReference };
std::string Utf16ToCodePage(std::u16string_view utf16, int codePage,
                            Unmappable unmappable = Unmappable::kQuestionMark);
std::string Utf8ToAnsi(std::string_view utf8);

// Unicode simple case folding ("É" and "é" fold alike, "ß" stays), for
// comparisons that ignore case.
std::u16string FoldCase(std::u16string_view text);

}  // namespace text
