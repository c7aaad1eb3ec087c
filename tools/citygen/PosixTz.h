#pragma once
// The current rules of a time zone, as tzdata states them in the POSIX TZ
// string at the end of each compiled zone file ("EET-2EEST,M4.5.5/0,..." for
// Cairo). That string describes the rules in force after the last listed
// transition, which is what a city line's zone and daylight flag record.

#include <optional>
#include <string>
#include <string_view>

namespace citygen {

struct CurrentRules {
  /// Standard time's offset from UTC in hours, East positive (Tehran 3.5).
  double standardHours = 0;
  /// Daylight saving time is observed under these rules.
  bool daylight = false;
};

/// Reads a POSIX TZ string. POSIX counts offsets West positive ("EST5"); the
/// result is East positive. Nothing when the string is not of that form.
std::optional<CurrentRules> ParsePosixTz(std::string_view tz);

/// The POSIX TZ string of a compiled tzdata file (TZif version 2 or later):
/// the text between the file's last two line feeds. Nothing when the file
/// cannot be read or has no such footer.
std::optional<std::string> ReadTzifFooter(const std::string& path);

}  // namespace citygen
