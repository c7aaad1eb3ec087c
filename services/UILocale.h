#pragma once
// Locale-dependent texts that follow the user-interface language: the date
// and time text of calendar filters.

#include "services/Flavour.h"
#include "calc/OleDate.h"

struct _Application;

// The date format of the user-interface language and the user's calendar,
// and whether its day comes first: "dd MMMM yyyy" for an Arabic interface
// (day first on the Hijri, Gregorian or transliterated calendars: types 6,
// 1, 10) and for the Hijri and transliterated calendars in any other;
// "MMMM dd, yyyy", month first, otherwise. Asks Office for its language
// (UILanguageID); a failure of that is answered and nothing is set.
HRESULT CreateUILocaleID(_Application* application, tstring* filterDateFormat, bool* dayFirst);

// The date and time as the calendar's filters expect it in the user's
// locale, e.g. "12/06/2026 02:25 PM": the short-date order of the user's
// locale with a four-digit year, then a 12-hour time with AM or PM (the
// locale's own designators with an Arabic interface on an Arabic locale).
// With an Arabic locale, midnight of a 31st moves back a minute, and a date
// still on a 31st goes without its date part.
tstring FormatDate(const COleDate& date);
