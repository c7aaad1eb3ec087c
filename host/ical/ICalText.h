#pragma once
// Text as an iCalendar file can carry it. RFC 5545 text is UTF-8 without
// control characters other than the tab; a line break is written as "\n"
// (libical does that), and there is no way to write a carriage return or any
// other control character. The store's texts come from Outlook, whose bodies
// break lines with CR LF, and may hold anything a user pasted.

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

/// The length in bytes (1 to 4) of the well-formed UTF-8 sequence that starts
/// at text[at], or 0 when the bytes there are not one (a stray continuation
/// byte, an overlong form, a surrogate, a code point past U+10FFFF, or a
/// sequence cut short).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

/// `text` made fit for an iCalendar TEXT value: CR LF and a lone CR become LF,
/// other control characters except the tab are dropped (a NUL would otherwise
/// cut the rest of the text off inside libical), and each byte that is not
/// part of well-formed UTF-8 becomes U+FFFD.
std::string CleanText(std::string_view text);

}  // namespace host
