#pragma once
// The current rules of a time zone, as tzdata states them in the POSIX TZ
// string at the end of each compiled zone file ("EET-2EEST,M4.5.5/0,..." for
// Cairo). That string describes the rules in force after the last listed
// transition, which is what a city line's zone and daylight flag record.
//
// A city line keeps the offset of winter and says whether the clocks go
// forward in summer. tzdata's "standard" time is not always the winter one:
// Ireland's legal standard time is its summer time, so Europe/Dublin reads
// "IST-1GMT0,..." with a daylight time one hour behind standard. Such a zone
// keeps the lower of its two offsets in winter, and that is what is read.

#include <optional>
#include <string>
#include <string_view>

namespace citygen {

struct CurrentRules {
  /// Offset from UTC in hours, East positive (Tehran 3.5), that the clocks
  /// keep outside the daylight-saving period: the lower of the zone's two
  /// offsets (Dublin 0, not its "standard" 1).
  double standardHours = 0;
  /// The clocks move between two offsets in the year.
  bool daylight = false;
  /// How far the clocks move forward for summer, in hours (1 nearly
  /// everywhere; Lord Howe Island 0.5); 0 without daylight saving.
  double daylightShiftHours = 0;
};

/// Reads a POSIX TZ string. POSIX counts offsets West positive ("EST5"); the
/// result is East positive. A daylight time without its own offset is one
/// hour ahead of standard time. Nothing when the string is not of that form.
std::optional<CurrentRules> ParsePosixTz(std::string_view tz);

/// The POSIX TZ string of a compiled tzdata file (TZif version 2 or later):
/// the text between the file's last two line feeds. Nothing when the file
/// cannot be read or has no such footer.
std::optional<std::string> ReadTzifFooter(const std::string& path);

}  // namespace citygen
