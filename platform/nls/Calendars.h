#pragma once
// The calendars we write dates in, by Windows calendar identifier, and the
// conversion of a Gregorian date into each of them.

#include "platform/nls/Nls.h"

namespace nls {

struct CalendarRow {
  CALID id;
  const char* icuType;     // ICU's calendar keyword: "gregorian", "islamic-tbla"
  const char* nameLocale;  // whose month and day names it uses; null: the locale's own
};

// Null for a calendar we do not have.
const CalendarRow* FindCalendar(CALID id);

struct CalendarDate {
  int year;   // within the era
  int month;  // 1..12
  int day;
  int era;  // ICU's era index
};

// The proleptic Gregorian date (year, month, day) in the calendar. dayShift
// moves the date by whole days first: the user's Hijri adjustment. False
// when the calendar cannot represent the date.
bool ToCalendarDate(const CalendarRow& calendar, int year, int month, int day, int dayShift,
                    CalendarDate* result);

}  // namespace nls
