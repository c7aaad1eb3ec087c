#pragma once
// Dates inside filters, read the way the user's locale writes them, since
// that is how the add-in writes them (its FormatDate) and how Outlook reads
// them: the short-date order of the locale (LOCALE_IDATE) with /, - or . between
// the parts, then a time "hh:mm" or "hh:mm:ss", 24-hour or with AM/PM (the
// English designators or the locale's own, LOCALE_S1159 and LOCALE_S2359, such
// as the Arabic "ص" and "م"). A time alone means that time today; a date
// alone means its midnight. Dates are in the calendar the locale writes them
// in: with the Hijri calendar (an Arabic locale's default) "26/06/1448" is
// 6 December 2026.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

struct DateReading {
  int order = 0;  // 0 month-day-year, 1 day-month-year, 2 year-month-day
  // Compared without regard to case; "AM" and "PM" are always understood.
  std::vector<std::string> amDesignators;
  std::vector<std::string> pmDesignators;
  // Dates are Hijri dates of the user's locale (with its day adjustment),
  // converted through the locale's own date formatting.
  bool hijri = false;

  // The user's default locale as it stands now.
  static DateReading ForUserLocale();
};

// The date and time as seconds (DateSeconds.h), or nothing when the text is
// not a date and time that exists.
std::optional<std::int64_t> ReadFilterDate(std::string_view text, const DateReading& reading);

}  // namespace host
