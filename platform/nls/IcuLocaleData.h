#pragma once
// What ICU knows of a locale that the national-language items are made of:
// month, day and era names in a calendar, AM/PM designators, the names of
// the language and country, and the first day of the week. Read once per
// locale and kept for the life of the process.

#include <array>
#include <string>
#include <vector>

#include "platform/nls/Calendars.h"

namespace nls {

struct CalendarNames {
  // Month names as they stand alone ("январь") and as a date writes them
  // after a day number ("6 января"); most languages have the same for both.
  std::array<std::u16string, 12> months;
  std::array<std::u16string, 12> monthsInDates;
  std::array<std::u16string, 12> abbrevMonths;
  std::array<std::u16string, 12> abbrevMonthsInDates;
  std::array<std::u16string, 7> days;  // Sunday first
  std::array<std::u16string, 7> abbrevDays;
  std::vector<std::u16string> eras;  // abbreviated, by ICU era index
  std::u16string calendarName;       // in the locale's language
};

// The names for a locale (ICU name) in a calendar, in the calendar's own
// naming locale when it has one.
const CalendarNames& NamesFor(const std::string& icuName, const CalendarRow& calendar);

struct LocaleNames {
  std::u16string am;
  std::u16string pm;
  std::u16string displayName;      // "Arabic (Saudi Arabia)", in English
  std::u16string englishLanguage;  // "Arabic"
  std::u16string nativeLanguage;   // "العربية"
  std::u16string englishCountry;   // "Saudi Arabia"
  std::u16string language;         // "ar"
  std::u16string country;          // "SA"
  int firstDayOfWeek;              // 0 Monday ... 6 Sunday, as Windows counts
};

const LocaleNames& LocaleNamesFor(const std::string& icuName);

}  // namespace nls
