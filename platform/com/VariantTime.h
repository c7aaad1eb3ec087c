#pragma once
// Conversions between SYSTEMTIME fields and OLE Automation dates, with the
// semantics of the OLE Automation routines of the same names.
//
// A DATE's integer part counts days from 30 December 1899 (backwards when
// negative); its fraction is always the time of day counted forward, so
// -1.25 is 29 December 1899 at 06:00.

#include <cstdint>

#include "platform/com/WinTypes.h"
#include "platform/time/SystemTime.h"

// The range the conversions accept: 1 January 100 to 31 December 9999.
inline constexpr DATE kMinVariantDate = -657434.0;
inline constexpr DATE kMaxVariantDate = 2958465.0;

// Fields to DATE. Years 0 to 29 mean 2000 to 2029 and 30 to 99 mean 1930 to
// 1999. Months must be 1..12, days 1..31, hours 0..23, minutes and seconds
// 0..59; a day past the end of its month runs on into the next month
// (30 February is 1 or 2 March). Milliseconds and the weekday are ignored.
// Returns FALSE, leaving *date alone, when a field is out of range or the
// result lies outside the accepted range.
BOOL SystemTimeToVariantTime(const SYSTEMTIME* st, DATE* date);

// DATE to fields, rounded to the nearest second (so that 722/1440 is 12:02:00,
// never 12:01:59), with the weekday filled in and milliseconds 0. Returns
// FALSE for NaN and values outside [kMinVariantDate, kMaxVariantDate + 1).
BOOL VariantTimeToSystemTime(DATE date, SYSTEMTIME* st);

// The day count (from 30 December 1899) and the second of the day that
// VariantTimeToSystemTime reads from a DATE, without the calendar fields,
// for callers that only need the clock or the distance between two days.
// false exactly where VariantTimeToSystemTime fails.
bool SplitVariantTime(DATE date, std::int64_t* days, std::int32_t* seconds);
