#pragma once
// The texts that tell a user why a time is not the one a mosque of another
// convention prints: the high-latitude rule gave it. The rule is named in
// the user-interface language (resource strings 1301 to 1303) inside one of
// the resource library's formats.

#include <string>

#include "platform/com/HResult.h"

// Resource strings of the notes; each format takes the rule's name (%s).
inline constexpr unsigned kRuleFootnoteFormat = 1304;  // the timetable's footnote
inline constexpr unsigned kNextDayFootnote = 1305;     // a time after midnight
inline constexpr unsigned kPreviousDayFootnote = 1306; // a time before midnight
inline constexpr unsigned kRuleBodyFormat = 1307;      // the appointment's line

// The format `formatId` with the name of `rule` (0 a seventh of the night,
// 1 the middle, 2 the angle; anything else is the first, as the calculator
// computes it). Empty when the resource library lacks the format.
std::u16string HighLatitudeNote(unsigned formatId, LONG rule);
